#pragma once

#include <QPointF>
#include <QSize>

#include <array>

namespace stack {

// Where a pixel of the reference frame lies in another frame of the stack: an affine map of
// pixel coordinates (pixel centres at whole numbers, x to the right, y down),
//   x' = m[0] x + m[1] y + m[2],   y' = m[3] x + m[4] y + m[5].
// Resampling a frame through it (inverse mapping) lays the frame over the reference.
struct Warp {
    std::array<double, 6> m{1, 0, 0, 0, 1, 0};

    QPointF map(QPointF p) const { return {m[0] * p.x() + m[1] * p.y() + m[2], m[3] * p.x() + m[4] * p.y() + m[5]}; }
    bool isIdentity() const { return m == std::array<double, 6>{1, 0, 0, 0, 1, 0}; }

    // The same map on a picture scaled by `factor` (2: from half size to full size), pixel
    // centres kept as pixel centres.
    Warp rescaled(double factor) const;
};

// The largest distance between where two warps put the four corner pixels of a picture.
double cornerDistance(const Warp &a, const Warp &b, QSize picture);

} // namespace stack
