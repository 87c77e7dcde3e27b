#include "camera/livehistogram.h"

#include "camera/bitplane.h"
#include "camera/clipmask.h"
#include "camera/focusmeasure.h"

#include <QImage>

#include <algorithm>
#include <memory>
#include <vector>

namespace camera {

namespace {

// Counting into several copies of a table and adding them up at the end keeps a run of equal
// values (a flat or clipped area) from waiting on its own previous increment. Eight copies of
// the luma table; eight of the colour table.
constexpr std::size_t kLumaCopies = 8;
constexpr std::size_t kRgbCopies = 8;
template <std::size_t N>
using TablesOf = std::array<std::array<std::uint32_t, 256>, N>;
using LumaTables = TablesOf<kLumaCopies>;

// The colour table holds, at each value, its 16-bit counts in blue, green and red side by side:
// a grey pixel's three increments go to one cache line at three addresses. Three tables of
// their own would lie a multiple of 4 KiB apart, and the processor takes a load from one as
// waiting on the store to another at the same low address bits, which a grey picture hits at
// every pixel. Sixteen bits keep the eight copies at 16 KiB; they are added into 32-bit totals
// before any of them can overflow.
using RgbTables = std::array<std::array<std::array<std::uint16_t, 4>, 256>, kRgbCopies>;

struct RgbTotals {
    std::array<std::uint32_t, 256> blue{}, green{}, red{};
};

void addAndClear(RgbTables &t, RgbTotals &totals)
{
    for (auto &copy : t)
        for (std::size_t v = 0; v < 256; ++v) {
            totals.blue[v] += copy[v][0];
            totals.green[v] += copy[v][1];
            totals.red[v] += copy[v][2];
            copy[v] = {};
        }
}

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
void binRgb(const std::uint32_t *p, int w, RgbTables &t)
{
    // Bytes of a pixel in memory: blue, green, red, x on a little-endian processor.
    constexpr std::size_t kB = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 0 : 3;
    constexpr std::size_t kG = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 1 : 2;
    constexpr std::size_t kR = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 2 : 1;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(p);
    std::size_t x = 0;
    const auto n = std::size_t(w);
    for (; x + kRgbCopies <= n; x += kRgbCopies)
        for (std::size_t k = 0; k < kRgbCopies; ++k) {
            const std::uint8_t *px = bytes + 4 * (x + k);
            ++t[k][px[kB]][0];
            ++t[k][px[kG]][1];
            ++t[k][px[kR]][2];
        }
    for (std::size_t k = 0; x < n; ++x, ++k) {
        const std::uint8_t *px = bytes + 4 * x;
        ++t[k][px[kB]][0];
        ++t[k][px[kG]][1];
        ++t[k][px[kR]][2];
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
    // Tables of 16 KiB and more live on the heap, not on a streaming thread's stack.
    auto rgb = std::make_unique<RgbTables>();
    RgbTotals totals;
    auto y8 = std::make_unique<LumaTables>();
    // A copy takes at most one count in eight of a row per value.
    const int rowsPerFlush = std::max(1, 65535 / ((w + int(kRgbCopies) - 1) / int(kRgbCopies)));
    for (int y = 0; y < src.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        findClippedInRow(p, w, high.data(), low.data(), level);
        h.clippedHigh += countBits(high.data(), words);
        h.clippedLow += countBits(low.data(), words);
        if (channels == HistogramChannels::Rgb) {
            binRgb(p, w, *rgb);
            if ((y + 1) % rowsPerFlush == 0)
                addAndClear(*rgb, totals);
        } else {
            lumaOfPixels(p, w, luma.data(), level);
            binLuma(luma.data(), w, *y8);
        }
    }
    if (channels == HistogramChannels::Rgb) {
        addAndClear(*rgb, totals);
        h.blue = totals.blue;
        h.green = totals.green;
        h.red = totals.red;
    } else {
        fold(*y8, h.luma);
    }
    return h;
}

} // namespace camera
