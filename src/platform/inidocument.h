#pragma once

#include <QByteArray>
#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace platform {

// A profile (INI) file in memory: [Section] lines and Key=Value lines.
// Reading follows the classic profile rules: section and key names match case-insensitively,
// a line splits at its first "=" (keys such as "Connect_Btn->Caption" contain none of their
// own), surrounding blanks and one pair of surrounding quotes are dropped, the first of
// duplicate keys wins, and a value is cut to kMaxValueLength characters.
class IniDocument
{
public:
    static constexpr int kMaxValueLength = 2047;

    // Accepts UTF-16LE, UTF-16BE and UTF-8 with their byte-order marks, and UTF-8 without one.
    static IniDocument parse(QByteArrayView bytes);
    // nullopt when the file does not exist or cannot be read.
    static std::optional<IniDocument> load(const QString &path);

    std::optional<QString> value(const QString &section, const QString &key) const;
    // Replaces the value in place, or appends the key to its section (the section to the end).
    void setValue(const QString &section, const QString &key, const QString &value);

    QStringList sections() const;
    QStringList keys(const QString &section) const;

    // UTF-8 text without a byte-order mark, "\n" line ends, sections in order of first use.
    QByteArray serialize() const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    static QString indexKey(const QString &section, const QString &key);
    Section *findSection(const QString &name);

    std::vector<Section> sections_;
    QHash<QString, QString> index_;   // lower-cased "section\nkey" -> value
};

// Integers as profile files hold them: decimal with an optional sign, or hexadecimal after
// "0x"/"0X". Anything else (empty, letters, out of range) is not a number.
std::optional<qint32> parseProfileInt(const QString &text);
// Any non-zero integer is true; a non-number is nullopt.
std::optional<bool> parseProfileBool(const QString &text);
// A picture size as profile files hold it, "1600x1200": both sides 1 to 65535; else nullopt.
std::optional<QSize> parseProfileSize(const QString &text);

} // namespace platform
