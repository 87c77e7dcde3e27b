#pragma once

#include "platform/inidocument.h"

#include <QString>

#include <array>
#include <optional>
#include <span>

namespace app {

// One language's interface texts, read from Lang/<language>.ini beside the executable.
// Every lookup has the empty text as its default; values are cut at 2047 characters.
class LanguageTexts
{
public:
    LanguageTexts() = default;   // no file: every text is empty

    static QString filePath(const QString &programDir, const QString &language);
    // nullopt when the file is missing or unreadable.
    static std::optional<LanguageTexts> load(const QString &programDir, const QString &language);

    const QString &language() const { return language_; }
    QString text(const QString &key) const;
    QString caption(const QString &component) const { return text(component + QStringLiteral("->Caption")); }
    QString hint(const QString &component) const { return text(component + QStringLiteral("->Hint")); }

    // "Font->Charset" as a strict decimal number; nullopt when it is missing or not a number.
    std::optional<int> fontCharset() const;
    QString fontName() const { return text(QStringLiteral("Font->Name")); }

    QStringList keys() const { return document_.keys(language_); }

private:
    QString language_;
    platform::IniDocument document_;
};

// The named keys the program reads, record by record, in the order they are read.
struct TextRecord {
    const char *name;
    std::span<const char *const> keys;
};
std::span<const TextRecord> textRecords();

} // namespace app
