#include "camera/livehistogram.h"

#include "camera/focusmeasure.h"

#include <QImage>

#include <vector>

namespace camera {

namespace {

// Counting into several copies of a table and adding them up at the end keeps a run of equal
// values (a flat or clipped area) from waiting on its own previous increment.
constexpr int kCopies = 4;
using Tables = std::array<std::array<std::uint32_t, 256>, kCopies>;

void fold(const Tables &t, std::array<std::uint32_t, 256> &out)
{
    for (int v = 0; v < 256; ++v)
        out[std::size_t(v)] = t[0][std::size_t(v)] + t[1][std::size_t(v)] + t[2][std::size_t(v)] + t[3][std::size_t(v)];
}

void countRgb(const QImage &picture, LiveHistogram &h)
{
    Tables b{}, g{}, r{};
    const int w = picture.width();
    for (int y = 0; y < picture.height(); ++y) {
        const auto *p = reinterpret_cast<const std::uint32_t *>(picture.constScanLine(y));
        int x = 0;
        for (; x + kCopies <= w; x += kCopies)
            for (int k = 0; k < kCopies; ++k) {
                const std::uint32_t v = p[x + k];
                ++b[std::size_t(k)][v & 0xFF];
                ++g[std::size_t(k)][(v >> 8) & 0xFF];
                ++r[std::size_t(k)][(v >> 16) & 0xFF];
            }
        for (; x < w; ++x) {
            const std::uint32_t v = p[x];
            ++b[0][v & 0xFF];
            ++g[0][(v >> 8) & 0xFF];
            ++r[0][(v >> 16) & 0xFF];
        }
    }
    fold(b, h.blue);
    fold(g, h.green);
    fold(r, h.red);
}

void countLuma(const QImage &picture, LiveHistogram &h)
{
    Tables t{};
    const int w = picture.width();
    std::vector<std::uint16_t> row(static_cast<std::size_t>(w));
    for (int y = 0; y < picture.height(); ++y) {
        lumaOfPixels(reinterpret_cast<const QRgb *>(picture.constScanLine(y)), w, row.data());
        int x = 0;
        for (; x + kCopies <= w; x += kCopies)
            for (int k = 0; k < kCopies; ++k)
                ++t[std::size_t(k)][row[std::size_t(x + k)]];
        for (; x < w; ++x)
            ++t[0][row[std::size_t(x)]];
    }
    fold(t, h.luma);
}

} // namespace

LiveHistogram countHistogram(const QImage &picture, HistogramChannels channels)
{
    LiveHistogram h;
    h.channels = channels;
    if (picture.isNull() || channels == HistogramChannels::Unknown)
        return h;
    const QImage src = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    h.pixels = std::uint64_t(src.width()) * std::uint64_t(src.height());
    if (channels == HistogramChannels::Rgb)
        countRgb(src, h);
    else
        countLuma(src, h);
    return h;
}

} // namespace camera
