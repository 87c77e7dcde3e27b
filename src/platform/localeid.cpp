#include "localeid.h"

#include <QRegularExpression>

#include <array>
#include <cstdlib>

namespace platform {
namespace {

struct LocaleRow {
    const char *locale;   // "ll" matches any territory, "ll_TT" one territory
    const char *id;
};

// Exact territories first, then the language alone.
constexpr std::array kLocaleIds{
    LocaleRow{"zh_TW", "0404"}, LocaleRow{"zh_HK", "0c04"}, LocaleRow{"zh_CN", "0804"}, LocaleRow{"zh_SG", "1004"},
    LocaleRow{"de_DE", "0407"}, LocaleRow{"de_CH", "0807"}, LocaleRow{"de_AT", "0c07"},
    LocaleRow{"es_ES", "0c0a"}, LocaleRow{"es_MX", "080a"},
    LocaleRow{"fr_FR", "040c"}, LocaleRow{"fr_BE", "080c"}, LocaleRow{"fr_CA", "0c0c"}, LocaleRow{"fr_CH", "100c"},
    LocaleRow{"pt_PT", "0816"}, LocaleRow{"pt_BR", "0416"},
    LocaleRow{"en_US", "0409"}, LocaleRow{"en_GB", "0809"}, LocaleRow{"en_AU", "0c09"}, LocaleRow{"en_CA", "1009"},
    LocaleRow{"ja", "0411"}, LocaleRow{"ru", "0419"}, LocaleRow{"ko", "0412"}, LocaleRow{"pl", "0415"},
};

} // namespace

QString languageIdOfLocale(const QString &localeName)
{
    QString name = localeName;
    // Drop ".codeset" and "@modifier".
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        name.truncate(cut);
    const QString language = name.section(u'_', 0, 0).toLower();
    const QString territory = name.section(u'_', 1, 1).toUpper();
    const QString full = territory.isEmpty() ? language : language + u'_' + territory;
    for (const LocaleRow &row : kLocaleIds)
        if (full == QLatin1String(row.locale))
            return QString::fromLatin1(row.id);
    for (const LocaleRow &row : kLocaleIds)
        if (language == QLatin1String(row.locale))
            return QString::fromLatin1(row.id);
    return {};
}

QString messagesLocaleName(const std::function<QString(const char *)> &getenv)
{
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString v = getenv(var);
        if (!v.isEmpty())
            return v;
    }
    return {};
}

QString systemLanguageId()
{
    return languageIdOfLocale(messagesLocaleName([](const char *name) { return QString::fromLocal8Bit(std::getenv(name)); }));
}

} // namespace platform
