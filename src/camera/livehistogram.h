#pragma once

#include "platform/yuvscaler.h"

#include <QRgb>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QImage;

namespace camera {

// Which counts the live histogram keeps.
enum class HistogramChannels { Unknown, Luma, Rgb };

// The live histogram of one shown frame: 256 bins of luma (camera::lumaOf), or of red, green and
// blue; the bins of channels not counted stay 0. With the pixels at the ends of the range.
struct LiveHistogram {
    HistogramChannels channels = HistogramChannels::Unknown;
    std::array<std::uint32_t, 256> luma{};
    std::array<std::uint32_t, 256> red{};
    std::array<std::uint32_t, 256> green{};
    std::array<std::uint32_t, 256> blue{};
    std::uint64_t pixels = 0;
    std::uint64_t clippedHigh = 0;   // pixels with a channel at 255
    std::uint64_t clippedLow = 0;    // other pixels with a channel at 0
    std::uint64_t serial = 0;        // counts the histograms one analyzer made, from 1
};

// Counts every pixel of `picture` (Format_RGB32) into the bins of `channels`, and its clipped
// pixels (the clipping warning's rule, findClippedPixels) in the same pass: each row is read from
// memory once, its clipped pixels found with vector code while it is in the cache, then binned.
// Every `level` gives the same counts; Portable goes one pixel at a time.
LiveHistogram countHistogram(const QImage &picture, HistogramChannels channels,
                             platform::SimdLevel level = platform::bestSimdLevel());

// countHistogram fed one row at a time, while a picture is being made: each row is counted while
// it is still in the cache. The counts equal countHistogram's over the picture.
class HistogramCounter
{
public:
    HistogramCounter(HistogramChannels channels, int width, platform::SimdLevel level = platform::bestSimdLevel());
    ~HistogramCounter();
    HistogramCounter(const HistogramCounter &) = delete;
    HistogramCounter &operator=(const HistogramCounter &) = delete;

    // The next row: `width` pixels, Format_RGB32; with its clipped pixels (findClippedInRow) when
    // they were found already.
    void addRow(const QRgb *pixels, const std::uint32_t *high = nullptr, const std::uint32_t *low = nullptr);
    // The counts of the rows added so far.
    LiveHistogram finish();

private:
    struct Tables;   // the counting tables: 16 KiB and more, on the heap rather than a thread's stack
    std::unique_ptr<Tables> tables_;
    LiveHistogram h_;
    int width_ = 0;
    platform::SimdLevel level_;
    std::size_t words_ = 0;
    std::vector<std::uint32_t> high_, low_;   // one row's clipped pixels
    std::vector<std::uint16_t> luma_;         // one row's luma
    int rows_ = 0;
    int rowsPerFlush_ = 1;
};

} // namespace camera
