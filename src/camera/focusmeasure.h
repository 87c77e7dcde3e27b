#pragma once

#include "platform/luma.h"
#include "platform/yuvscaler.h"

#include <QRect>
#include <QRgb>

#include <QSize>

#include <cstdint>
#include <memory>

class QImage;

namespace camera {

class BitPlane;

using platform::lumaOf;

// The luma (platform::lumaOf) of `n` pixels into `out`, vector code where the processor has it.
void lumaOfPixels(const QRgb *pixels, int n, std::uint16_t *out);
// The same with the vector code of `level` (Portable: one pixel at a time); every level gives
// the same values.
void lumaOfPixels(const QRgb *pixels, int n, std::uint16_t *out, platform::SimdLevel level);

// What one pass of the 4-neighbour Laplacian L = 4 Y(x,y) - Y(x-1,y) - Y(x+1,y) - Y(x,y-1) - Y(x,y+1)
// adds up over a rectangle of a picture. Neighbours outside the picture repeat its edge pixels;
// neighbours outside the rectangle but inside the picture are the picture's own.
struct LaplacianSums {
    std::uint64_t pixels = 0;
    std::int64_t sumL = 0;
    std::uint64_t sumL2 = 0;
    std::uint64_t sumLuma = 0;
    friend bool operator==(const LaplacianSums &, const LaplacianSums &) = default;
};

// The sharpness meter's focus score: the normalised variance of the Laplacian,
// var(L) / mean(Y)^2, times 1000 so that a sharp micrometer reads in the tens.
// Why this measure and not Tenengrad: the Laplacian is one 5-tap kernel that fits 16-bit lanes
// (luma 0..255 gives |L| <= 1020), where Tenengrad needs two 9-tap Sobel kernels per pixel; it
// weighs the finest detail most, so the score peaks steeply at the sharp position on a specimen
// of fine lines; and the same |L| that feeds the score marks the edges for focus peaking, so one
// pass over the shown frame gives both. Dividing by the squared mean luma makes the score
// independent of exposure and brightness gain, which change the variance but not the focus.
// 0 for a black picture or an empty rectangle.
double focusScore(const LaplacianSums &sums);

// Focus peaking marks pixels whose |L| is above this: a tenth of a full black-to-white step,
// above the noise of a camera (sigma of a few levels gives |L| of about ten) and far above what
// a defocused edge keeps.
inline constexpr int kPeakingThreshold = 24;

// One pass over `rect` (clipped to the picture) of `picture` (Format_RGB32): the sums, and, when
// `marks` is given (it must have the picture's size and `rect` must be the whole picture), every
// pixel set whose |L| is above `threshold` and every other pixel cleared. Vector code where the
// processor has it; the result is the reference's to the bit.
LaplacianSums laplacianPass(const QImage &picture, QRect rect, int threshold, BitPlane *marks);
// laplacianPass on the vector code of `level` (at most the processor's best; below AVX2 one pixel
// at a time): tests run every level.
LaplacianSums laplacianPass(const QImage &picture, QRect rect, int threshold, BitPlane *marks, platform::SimdLevel level);
// The same, one pixel at a time: the reference the vector code is tested against.
LaplacianSums laplacianPassReference(const QImage &picture, QRect rect, int threshold, BitPlane *marks);

// laplacianPass over the whole picture with its peaking marks, and the clipping warning's planes
// (findClippedPixels) found in the same pass: each row is read from memory once for both. The
// planes are made the picture's size; the result and the planes equal those of the two passes.
LaplacianSums laplacianAndClippingPass(const QImage &picture, int threshold, BitPlane &marks, BitPlane &clippedHigh,
                                       BitPlane &clippedLow);

struct LaplacianRing;

// laplacianPass over a whole picture with its peaking marks, fed the picture's rows from the top
// while it is being made: each row is read once, while it is still in the cache. The sums and
// marks equal laplacianPass's over the finished picture.
class LaplacianStream
{
public:
    LaplacianStream();
    ~LaplacianStream();
    LaplacianStream(const LaplacianStream &) = delete;
    LaplacianStream &operator=(const LaplacianStream &) = delete;

    // A picture of `size` starts; `marks` (null: none) has its size and lives until finish().
    void begin(QSize size, int threshold, BitPlane *marks);
    // The picture's next row, size.width() pixels; rows past the picture's height are ignored.
    void push(const QRgb *pixels);
    // Once every row is in: the sums. Empty sums when rows are missing.
    LaplacianSums finish();

private:
    std::unique_ptr<LaplacianRing> ring_;   // its luma rows are kept from picture to picture
    QSize size_;
    int pushed_ = 0;   // rows so far; -1 once finished
};

} // namespace camera
