#pragma once

#include "camera/bitplane.h"

#include <QRgb>
#include <QtGlobal>

class QImage;

namespace camera {

// What the focus aids lay over one shown frame: the focus peaking's edge pixels and the clipping
// warning's pixels. Shown only: they are composited when the video area paints, never into a
// snapshot, a frozen picture or a recording.
struct FocusMarks {
    qint64 imageKey = 0;     // QImage::cacheKey() of the frame they were found in
    BitPlane peaking;        // null when peaking is off
    BitPlane clippedHigh;    // null when the clipping warning is off
    BitPlane clippedLow;
    QSize size() const { return !peaking.isNull() ? peaking.size() : clippedHigh.size(); }
};

// Zebra stripes run diagonally, this many pixels wide. Over a pixel with a channel at 255 they
// alternate black and a red with no channel at 0 or 255; over one with a channel at 0, white and a
// blue of the same kind: so every clipped pixel visibly changes, whatever its colour.
inline constexpr int kZebraStripePx = 4;
QRgb zebraColour(bool high, int x, int y);

// The peaking tint when the user has not chosen another: red.
inline constexpr QRgb kDefaultPeakingColour = 0xFFFF0000u;

// `picture` (Format_RGB32, the marks' size) with the marks laid over it, written as RGB32 rows
// into `dst` (stride in bytes; may be the picture's own bits): a clipped pixel takes its stripe
// colour, else an edge pixel takes `peakingColour`, else the pixel stays. Each row goes through
// the overlay compositor (composeRow) the comparison overlay uses.
void composeMarks(const QImage &picture, const FocusMarks &marks, QRgb peakingColour, uchar *dst, qsizetype dstStride);

// The same over a picture of the marks' size already in `dst` (RGB32 rows, stride in bytes) as
// the flip mode shows it: mirrored left to right and/or upside down. Only the 32-pixel pieces of
// a row that hold a mark are touched, so a frame with few marks costs little more than a look at
// its bits.
void composeMarksOnto(const FocusMarks &marks, QRgb peakingColour, uchar *dst, qsizetype dstStride, bool mirroredX,
                      bool mirroredY);

} // namespace camera
