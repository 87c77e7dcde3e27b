#pragma once

#include <QImage>

#include <cstdint>

namespace platform {

// A colour as the design stores it: 0x00BBGGRR (0x0000FF is red).
using ColorRef = std::uint32_t;

constexpr ColorRef rgbColor(int r, int g, int b)
{
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
constexpr int redOf(ColorRef c) { return int(c & 0xFF); }
constexpr int greenOf(ColorRef c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(ColorRef c) { return int((c >> 16) & 0xFF); }
constexpr QRgb toQRgb(ColorRef c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }
constexpr ColorRef fromQRgb(QRgb c) { return rgbColor(qRed(c), qGreen(c), qBlue(c)); }
// Pure white is the transparency key of every drawing layer, so a colour drawn on one is kept
// as near-white 0xFFFFFE instead.
constexpr ColorRef keyFreeColour(ColorRef chosen)
{
    return (chosen & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFE : (chosen & 0xFFFFFF);
}

// The largest picture any reader accepts. A header may claim anything; beyond this it is refused
// before a byte is allocated.
constexpr int kMaxPictureSide = 16384;
constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 26;   // 64 Mpixel, 256 MiB in memory

// The picture type of every frame, still, layer and thumbnail: 24-bit pixel values.
// Held as QImage::Format_RGB32 (bytes B, G, R, x per pixel), which is GStreamer's "BGRx" and the
// format QPainter paints fastest; files on disk are 24-bit.
class Bitmap
{
public:
    Bitmap() = default;
    Bitmap(int width, int height, ColorRef fill = 0xFFFFFF);
    // Takes any QImage; other formats are converted once to RGB32 (alpha dropped).
    explicit Bitmap(QImage image);

    bool isNull() const { return image_.isNull(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QSize size() const { return image_.size(); }

    // Out-of-range coordinates read as 0 and are not written.
    ColorRef pixel(int x, int y) const;
    void setPixel(int x, int y, ColorRef color);
    void fill(ColorRef color);

    uchar *scanLine(int y) { return image_.scanLine(y); }
    const uchar *constScanLine(int y) const { return image_.constScanLine(y); }
    qsizetype bytesPerLine() const { return image_.bytesPerLine(); }

    const QImage &image() const { return image_; }
    QImage &image() { return image_; }

    friend bool operator==(const Bitmap &a, const Bitmap &b) { return a.image_ == b.image_; }

private:
    QImage image_;
};

bool sizeIsAcceptable(std::int64_t width, std::int64_t height);

} // namespace platform
