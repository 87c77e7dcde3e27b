#include "platform/picturecodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const platform::DecodedPicture p = platform::decodeBmp(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    // A decoded picture must be whole: every row readable.
    if (p.ok()) {
        volatile unsigned sum = 0;
        for (int y = 0; y < p.bitmap.height(); ++y)
            sum = sum + p.bitmap.pixel(p.bitmap.width() - 1, y);
    }
    return 0;
}
