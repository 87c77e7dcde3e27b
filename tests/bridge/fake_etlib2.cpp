// A scripted vendor library. FAKE_ETLIB_OPEN lists the results of successive opens ("0,1");
// FAKE_ETLIB_IDENTITY is identity text 2 (UTF-8); FAKE_ETLIB_IDENTITY_RESULT its result code;
// FAKE_ETLIB_FILL_ALL=1 fills the whole buffer without a terminator.
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int g_opens = 0;
int g_closes = 0;
}

extern "C" {

__attribute__((visibility("default"))) int ETLIB_Open()
{
    const char *script = std::getenv("FAKE_ETLIB_OPEN");
    std::string s = script ? script : "1";
    int index = g_opens++;
    std::size_t pos = 0;
    while (index-- > 0) {
        const std::size_t comma = s.find(',', pos);
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return std::atoi(s.c_str() + pos);
}

__attribute__((visibility("default"))) int ETLIB_Close()
{
    ++g_closes;
    return 0;
}

#ifndef SENDRA_FAKE_WITHOUT_IDENTITY
__attribute__((visibility("default"))) int ETLIB_GetIdentity(int index, char16_t *buffer)
{
    if (const char *r = std::getenv("FAKE_ETLIB_IDENTITY_RESULT"); r && std::atoi(r) < 0)
        return std::atoi(r);
    if (const char *fill = std::getenv("FAKE_ETLIB_FILL_ALL"); fill && *fill == '1') {
        for (int i = 0; i < 128; ++i)
            buffer[i] = u'K';
        return 0;
    }
    const char *text = index == 2 ? std::getenv("FAKE_ETLIB_IDENTITY") : "bridge";
    for (int i = 0; text && text[i] && i < 127; ++i)
        buffer[i] = char16_t(static_cast<unsigned char>(text[i]));
    return 0;
}
#endif

__attribute__((visibility("default"))) int fake_etlib_opens() { return g_opens; }
__attribute__((visibility("default"))) int fake_etlib_closes() { return g_closes; }
}
