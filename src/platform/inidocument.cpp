#include "inidocument.h"

#include <QFile>
#include <QStringDecoder>

#include <limits>

namespace platform {
namespace {

QString decodeText(QByteArrayView bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return d(bytes.sliced(2));
    }
    if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return d(bytes.sliced(2));
    }
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())   // an old 8-bit file: keep every byte as a character
        return QString::fromLatin1(bytes.data(), bytes.size());
    return text;
}

QString unquote(QString v)
{
    if (v.size() >= 2 && ((v.front() == u'"' && v.back() == u'"') || (v.front() == u'\'' && v.back() == u'\'')))
        v = v.sliced(1, v.size() - 2);
    return v;
}

} // namespace

QString IniDocument::indexKey(const QString &section, const QString &key)
{
    return section.toLower() + u'\n' + key.toLower();
}

IniDocument IniDocument::parse(QByteArrayView bytes)
{
    IniDocument doc;
    const QString text = decodeText(bytes);
    Section *current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.indexOf(u']');
            const QString name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1)).trimmed().toString();
            current = doc.findSection(name);
            if (!current) {
                doc.sections_.push_back({name, {}});
                current = &doc.sections_.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        const QString key = line.first(eq).trimmed().toString();
        QString value = unquote(line.sliced(eq + 1).trimmed().toString());
        if (value.size() > kMaxValueLength)
            value.truncate(kMaxValueLength);
        const QString ik = indexKey(current->name, key);
        if (doc.index_.contains(ik))
            continue;
        doc.index_.insert(ik, value);
        current->entries.push_back({key, value});
    }
    return doc;
}

std::optional<IniDocument> IniDocument::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const auto it = index_.constFind(indexKey(section, key));
    if (it == index_.cend())
        return std::nullopt;
    return *it;
}

IniDocument::Section *IniDocument::findSection(const QString &name)
{
    for (Section &s : sections_)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    Section *s = findSection(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    index_.insert(indexKey(s->name, key), value);
    for (Entry &e : s->entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back({key, value});
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (const Section &s : sections_)
        names << s.name;
    return names;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList names;
    for (const Section &s : sections_)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0)
            for (const Entry &e : s.entries)
                names << e.key;
    return names;
}

QByteArray IniDocument::serialize() const
{
    QString out;
    for (const Section &s : sections_) {
        out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const Entry &e : s.entries)
            out += e.key + u'=' + e.value + u'\n';
    }
    return out.toUtf8();
}

std::optional<qint32> parseProfileInt(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(u"0x", Qt::CaseInsensitive))
        v = t.sliced(2).toLongLong(&ok, 16);   // toLongLong would also take a sign here: refuse it
    else
        v = t.toLongLong(&ok, 10);
    if (t.startsWith(u"0x", Qt::CaseInsensitive) && (t.size() == 2 || t[2] == u'-' || t[2] == u'+'))
        ok = false;
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(v);
}

std::optional<QSize> parseProfileSize(const QString &text)
{
    constexpr int kMaxSide = 65535;
    const QStringList parts = text.split(u'x');
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false, okH = false;
    const int w = parts[0].toInt(&okW), h = parts[1].toInt(&okH);
    if (!okW || !okH || w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide)
        return std::nullopt;
    return QSize(w, h);
}

std::optional<bool> parseProfileBool(const QString &text)
{
    if (const auto v = parseProfileInt(text))
        return *v != 0;
    return std::nullopt;
}

} // namespace platform
