#include "platform/picturecodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    platform::decodeJpeg(bytes);
    platform::decodeJpeg(bytes, QSize(128, 96));   // the scaled thumbnail path too
    return 0;
}
