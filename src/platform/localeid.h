#pragma once

#include <QString>

#include <functional>

namespace platform {

// The language identifier (four lower-case hexadecimal digits, "0407" for German in Germany) of
// a POSIX locale name such as "de_DE.UTF-8" or "pt_BR@euro". Empty when the locale has none we
// know ("C", "POSIX", unknown languages).
QString languageIdOfLocale(const QString &localeName);

// The locale that decides the interface language: LC_ALL, else LC_MESSAGES, else LANG (the
// first that is set and not empty). `getenv` is injectable for tests.
QString messagesLocaleName(const std::function<QString(const char *)> &getenv);
QString systemLanguageId();

} // namespace platform
