#include "camera/livehistogram.h"

#include "camera/bitplane.h"
#include "camera/clipmask.h"
#include "camera/focusmeasure.h"

#include <QImage>

#include <vector>

namespace camera {

namespace {

// Counting into several copies of a table and adding them up at the end keeps a run of equal
// values (a flat or clipped area) from waiting on its own previous increment. Eight copies of
// the one luma table; four of each colour's (twelve tables, 12 KiB, stay in the L1 cache).
constexpr std::size_t kCopies = 4;
constexpr std::size_t kLumaCopies = 8;
template <std::size_t N>
using TablesOf = std::array<std::array<std::uint32_t, 256>, N>;
using Tables = TablesOf<kCopies>;
using LumaTables = TablesOf<kLumaCopies>;

template <std::size_t N>
void fold(const TablesOf<N> &t, std::array<std::uint32_t, 256> &out)
{
    for (std::size_t v = 0; v < 256; ++v) {
        std::uint32_t sum = 0;
        for (const auto &table : t)
            sum += table[v];
        out[v] = sum;
    }
}

// Each colour byte is loaded on its own: loads are cheaper than taking a word apart, which the
// increments leave the processor no room for.
void binRgb(const std::uint32_t *p, int w, Tables &b, Tables &g, Tables &r)
{
    // Bytes of a pixel in memory: blue, green, red, x on a little-endian processor.
    constexpr std::size_t kB = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 0 : 3;
    constexpr std::size_t kG = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 1 : 2;
    constexpr std::size_t kR = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 2 : 1;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(p);
    std::size_t x = 0;
    const auto n = std::size_t(w);
    for (; x + kCopies <= n; x += kCopies)
        for (std::size_t k = 0; k < kCopies; ++k) {
            const std::uint8_t *px = bytes + 4 * (x + k);
            ++b[k][px[kB]];
            ++g[k][px[kG]];
            ++r[k][px[kR]];
        }
    for (; x < n; ++x) {
        const std::uint8_t *px = bytes + 4 * x;
        ++b[0][px[kB]];
        ++g[0][px[kG]];
        ++r[0][px[kR]];
    }
}

void binLuma(const std::uint16_t *row, int w, LumaTables &t)
{
    std::size_t x = 0;
    const auto n = std::size_t(w);
    for (; x + kLumaCopies <= n; x += kLumaCopies)
        for (std::size_t k = 0; k < kLumaCopies; ++k)
            ++t[k][row[x + k]];
    for (; x < n; ++x)
        ++t[0][row[x]];
}

} // namespace

LiveHistogram countHistogram(const QImage &picture, HistogramChannels channels, platform::SimdLevel level)
{
    LiveHistogram h;
    h.channels = channels;
    if (picture.isNull() || channels == HistogramChannels::Unknown)
        return h;
    const QImage src = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const int w = src.width();
    h.pixels = std::uint64_t(w) * std::uint64_t(src.height());
    const std::size_t words = std::size_t(w + 31) / 32;
    std::vector<std::uint32_t> high(words), low(words);
    std::vector<std::uint16_t> luma(channels == HistogramChannels::Luma ? std::size_t(w) : 0);
    Tables a{}, b{}, c{};
    LumaTables y8{};
    for (int y = 0; y < src.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        findClippedInRow(p, w, high.data(), low.data(), level);
        h.clippedHigh += countBits(high.data(), words);
        h.clippedLow += countBits(low.data(), words);
        if (channels == HistogramChannels::Rgb) {
            binRgb(p, w, a, b, c);
        } else {
            lumaOfPixels(p, w, luma.data(), level);
            binLuma(luma.data(), w, y8);
        }
    }
    if (channels == HistogramChannels::Rgb) {
        fold(a, h.blue);
        fold(b, h.green);
        fold(c, h.red);
    } else {
        fold(y8, h.luma);
    }
    return h;
}

} // namespace camera
