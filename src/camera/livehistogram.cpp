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

struct HistogramCounter::Tables {
    RgbTables rgb{};
    RgbTotals totals;
    LumaTables luma{};
};

HistogramCounter::HistogramCounter(HistogramChannels channels, int width, platform::SimdLevel level)
    : tables_(std::make_unique<Tables>()), width_(std::max(0, width)), level_(level),
      words_(std::size_t(width_ + 31) / 32), high_(words_), low_(words_),
      luma_(channels == HistogramChannels::Luma ? std::size_t(width_) : 0)
{
    h_.channels = channels;
    // A copy takes at most one count in eight of a row per value.
    rowsPerFlush_ = std::max(1, 65535 / std::max(1, (width_ + int(kRgbCopies) - 1) / int(kRgbCopies)));
}

HistogramCounter::~HistogramCounter() = default;

void HistogramCounter::addRow(const QRgb *pixels, const std::uint32_t *high, const std::uint32_t *low)
{
    if (h_.channels == HistogramChannels::Unknown || width_ == 0)
        return;
    h_.pixels += std::uint64_t(width_);
    if (!high || !low) {
        findClippedInRow(pixels, width_, high_.data(), low_.data(), level_);
        high = high_.data();
        low = low_.data();
    }
    h_.clippedHigh += countBits(high, words_);
    h_.clippedLow += countBits(low, words_);
    if (h_.channels == HistogramChannels::Rgb) {
        binRgb(pixels, width_, tables_->rgb);
        if (++rows_ % rowsPerFlush_ == 0)
            addAndClear(tables_->rgb, tables_->totals);
    } else {
        lumaOfPixels(pixels, width_, luma_.data(), level_);
        binLuma(luma_.data(), width_, tables_->luma);
    }
}

LiveHistogram HistogramCounter::finish()
{
    LiveHistogram h = h_;
    if (h.channels == HistogramChannels::Rgb) {
        addAndClear(tables_->rgb, tables_->totals);
        h.blue = tables_->totals.blue;
        h.green = tables_->totals.green;
        h.red = tables_->totals.red;
    } else if (h.channels == HistogramChannels::Luma) {
        fold(tables_->luma, h.luma);
    }
    return h;
}

LiveHistogram countHistogram(const QImage &picture, HistogramChannels channels, platform::SimdLevel level)
{
    if (picture.isNull() || channels == HistogramChannels::Unknown) {
        LiveHistogram h;
        h.channels = channels;
        return h;
    }
    const QImage src = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    HistogramCounter counter(channels, src.width(), level);
    for (int y = 0; y < src.height(); ++y)
        counter.addRow(reinterpret_cast<const QRgb *>(src.constScanLine(y)));
    return counter.finish();
}

} // namespace camera
