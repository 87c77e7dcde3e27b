#include "bitmap.h"

namespace platform {

bool sizeIsAcceptable(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide
        && width * height <= kMaxPicturePixels;
}

Bitmap::Bitmap(int width, int height, ColorRef fill)
{
    if (!sizeIsAcceptable(width, height))
        return;
    image_ = QImage(width, height, QImage::Format_RGB32);
    if (!image_.isNull())
        image_.fill(toQRgb(fill));
}

Bitmap::Bitmap(QImage image)
    : image_(image.format() == QImage::Format_RGB32 ? std::move(image)
                                                    : image.convertToFormat(QImage::Format_RGB32))
{
}

ColorRef Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return 0;
    return fromQRgb(reinterpret_cast<const QRgb *>(image_.constScanLine(y))[x]);
}

void Bitmap::setPixel(int x, int y, ColorRef color)
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return;
    reinterpret_cast<QRgb *>(image_.scanLine(y))[x] = toQRgb(color);
}

void Bitmap::fill(ColorRef color)
{
    if (!image_.isNull())
        image_.fill(toQRgb(color));
}

} // namespace platform
