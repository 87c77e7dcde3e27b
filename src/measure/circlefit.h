#pragma once

#include "measure/geometry.h"
#include "measure/lumasampler.h"

#include <optional>
#include <vector>

namespace measure {

// A circle fitted to edge points, in picture pixels.
struct CircleFit {
    PrecisePoint centre;
    double radius = 0;
    double rmsResidual = 0;   // root mean square distance of the kept points from the circle, px
    int pointsKept = 0;
    int pointsFound = 0;      // edge points offered to the fit
};

// Least squares circle through `points`: the points that most agree on one circle through three
// of them start it, then an algebraic fit, then the geometric fit that minimises the points'
// distances from the circle. Points farther out than three robust standard
// deviations of the distances (never less than half a pixel) are dropped and the circle fitted
// again, until the kept set stays the same. None when fewer than `minimumPoints` points remain or
// the points lie on a line.
std::optional<CircleFit> fitCircle(const std::vector<PrecisePoint> &points, int minimumPoints = 6);

struct EdgeCircleOptions {
    int rays = 64;
    // An edge changes the luma along a ray by at least this many grey levels within 4 px...
    double minimumStep = 12.0;
    // ...and by at least this many times the median change near the click (the noise inside)...
    double noiseFactor = 6.0;
    // ...with a gradient peak of at least this many grey levels per pixel, as snapping asks.
    double minimumGradient = 6.0;
    double maxRadiusPx = 0;         // how far rays run; 0: to the picture's border
    int minimumPoints = 12;         // edge points the fit must keep
};

// Circle by edge: from a click inside a round feature, rays at equal angles run outwards to the
// first strong luma edge, which each places to a fraction of a pixel as snapping does; a circle is
// fitted to those points with outliers rejected. Strong means above the noise near the click and
// at least half as strong as the median of the edges the rays met first, so a speck inside the
// feature stops no ray. None when the click lies outside the picture, too few rays met an edge
// (a flat picture), or the circle is no round feature's: it keeps fewer than half the rays or its
// RMS residual exceeds 5 % of its radius (a click on open ground among other things).
std::optional<CircleFit> circleByEdge(const LumaSampler &luma, PrecisePoint inside, const EdgeCircleOptions &options = {});

} // namespace measure
