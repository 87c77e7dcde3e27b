#include "platform/inidocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto doc = platform::IniDocument::parse(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &section : doc.sections())
        for (const QString &key : doc.keys(section))
            if (const auto v = doc.value(section, key)) {
                if (v->size() > platform::IniDocument::kMaxValueLength)
                    __builtin_trap();
                platform::parseProfileInt(*v);
            }
    // What we write we must read back the same.
    const auto again = platform::IniDocument::parse(doc.serialize());
    (void)again;
    return 0;
}
