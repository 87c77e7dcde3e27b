#pragma once

#include "measure/geometry.h"
#include "measure/lumasampler.h"

namespace measure {

// The luma along a straight line through the picture, and how fast it changes along the line:
// the one-dimensional view in which edge snapping and circle fitting find an edge and place it to
// a fraction of a pixel. Positions on the line are t pixels from the origin along a unit direction.
//
// luma(t) averages three samples across the line (weights 1, 2, 1 at -1, 0, +1 pixel) to quieten
// noise along the edge, unless asked to read the line alone. Finding an edge uses a smoothed gradient, which noise does not break into
// many peaks; placing it uses the plain difference of the luma half a pixel either side, which
// reads no farther than a pixel from the edge, so that the two sides of a line two pixels wide
// do not pull at each other (a smoothing a pixel wide moves each of them a third of a pixel out).
class EdgeProfile
{
public:
    // Walks read the luma at steps of half a pixel; the smoothed gradient at a step reads the
    // kReach steps on either side.
    static constexpr double kStep = 0.5;
    static constexpr int kReach = 3;

    // `unit` must have length 1. Without `acrossAverage` luma(t) reads the line alone: cheaper,
    // for callers that average many edge points anyway.
    EdgeProfile(const LumaSampler &luma, PrecisePoint origin, PrecisePoint unit, bool acrossAverage = true);

    PrecisePoint at(double t) const { return {origin_.x + t * unit_.x, origin_.y + t * unit_.y}; }
    float luma(double t) const;
    // The smoothed gradient at t, grey levels per pixel, positive where luma grows with t.
    double derivative(double t) const;
    // The smoothed gradient at the middle of seven luma steps l[0] ... l[6]: the half-pixel
    // difference smoothed by a binomial of five taps half a pixel apart.
    static double derivativeFrom(const float *l);

    // The sub-pixel position of the edge whose gradient peak lies near t0, rising (luma growing
    // with t) or falling: a parabola fitted by
    // least squares to the gradient across the edge (five samples half a pixel apart, the
    // half-pixel difference taken in the edge's own sense), re-centred on its vertex until it
    // settles. Settled, the samples balance about the vertex, which is where an edge drawn by
    // area coverage truly lies, whatever its phase against the pixels.
    double refinePeak(double t0, bool rising) const;

private:
    const LumaSampler &luma_;
    PrecisePoint origin_;
    PrecisePoint unit_;
    bool acrossAverage_;
};

} // namespace measure
