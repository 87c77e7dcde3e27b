#pragma once

#include "measure/geometry.h"
#include "measure/lumasampler.h"

#include <optional>

namespace measure {

struct EdgeSnapOptions {
    double radiusPx = 6.0;          // how far a point may move, in picture pixels
    // An edge is a luma gradient of at least this many grey levels per pixel...
    double minimumGradient = 6.0;
    // ...and at least this many times the lower quartile of the gradients around the click, so
    // that noise and texture are not taken for an edge (on Gaussian noise the largest gradient
    // the noise alone makes along the search is about eight times that quartile).
    double noiseFactor = 12.0;
};

struct EdgeSnap {
    PrecisePoint point;    // on the edge, picture pixels
    PrecisePoint normal;   // unit vector across the edge, towards the lighter side
    double strength = 0;   // luma gradient at the edge, grey levels per pixel
};

// Moves a clicked point onto the strongest luma edge within the radius. The direction across the
// edge is the luma gradient where it is strongest within the radius; along the line through the
// click in that direction the point goes to the strongest peak of the gradient (of equally strong
// peaks, the nearer one), placed to a fraction of a pixel by a parabola through the gradient
// across the peak. The point moves across the edge only, never along it. None when the click lies
// outside the picture or no edge stands above the noise threshold: the point then stays as clicked.
// On a line thinner than the radius both its edges are in reach and the stronger one wins
// wherever the click lands, which is what makes repeated clicks find the same edge.
std::optional<EdgeSnap> snapToEdge(const LumaSampler &luma, PrecisePoint click, const EdgeSnapOptions &options = {});

} // namespace measure
