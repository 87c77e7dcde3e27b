#pragma once

#include "platform/yuvplanes.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

class ShownRows;

// The vector instructions a kernel may use. SSE2 is part of every x86-64 processor; AVX2 and
// AVX-512 (F and BW) are used only where the processor has them (asked at run time). Each level
// includes the ones below it; a kernel without a version of its own for a level runs the best
// version it has below it.
enum class SimdLevel { Unknown, Portable, Sse2, Avx2, Avx512 };
SimdLevel bestSimdLevel();
constexpr bool atLeast(SimdLevel level, SimdLevel floor) { return int(level) >= int(floor); }
// Every level from Portable up to bestSimdLevel(): the vector versions are tested against the
// portable one on each.
std::vector<SimdLevel> simdLevelsHere();

// Turns luma and chroma planes into the BGRX picture the video area shows, at the size shown,
// without converting a pixel that is not shown: each plane is filtered to the shown size (chroma
// to its share of it), then only the shown pixels are converted to colour (JFIF full-range
// BT.601, as libjpeg converts). Filtering is area averaging in a direction that shrinks and
// bilinear in one that grows, direction by direction, so fine periodic detail such as a
// micrometer's divisions keeps an even look. Fixed point throughout: a flat plane stays exactly
// flat.
//
// Keeps the filter taps while the sizes stay. One thread at a time.
class YuvScaler
{
public:
    explicit YuvScaler(SimdLevel level = bestSimdLevel());
    ~YuvScaler();
    YuvScaler(const YuvScaler &) = delete;
    YuvScaler &operator=(const YuvScaler &) = delete;

    // Fills `out` (QImage::Format_RGB32, the shown size, not shared) from `planes`. The shown
    // chroma keeps the source's subsampling where it has one (4:2:0 stays 2 x 2), up to 2 x 2.
    // `rows`, when given, sees each row of `out` as it is made.
    void scale(const YuvPlanes &planes, QImage &out, ShownRows *rows = nullptr);

    SimdLevel level() const { return level_; }

private:
    struct Plan;
    SimdLevel level_;
    std::unique_ptr<Plan> plan_;
};

} // namespace platform
