#pragma once

// The z-stack of the acceptance tests and the benchmark: nine frames of the tilted specimen,
// focus 30 to 70, 5 units apart (a step of about the depth of field, as a microscopist would
// choose it), each with the breathing and drift of a real focus pass: the magnification
// grows 2 % from the first frame to the last, and the stage wanders up to 10 px away from where
// the first frame saw it. Header only: the tests and the benchmark render the same frames.
#include "platform/bitmap.h"
#include "platform/gst/specimen.h"
#include "stack/warp.h"

#include <array>
#include <vector>

namespace stackplan {

inline constexpr int kFrames = 9;
inline constexpr int kWidth = 1600;
inline constexpr int kHeight = 1200;

inline int focusOf(int frame) { return 30 + 5 * frame; }

inline platform::SpecimenPlacement placementOf(int frame)
{
    // Drift in pixels, a fixed wandering path: the largest offset from frame 0 is 10 px.
    static constexpr std::array<std::array<double, 2>, kFrames> kDrift{
        {{0, 0}, {2.6, -1.3}, {4.1, -3.7}, {6.8, -4.4}, {7.2, -6.9}, {8.9, -5.1}, {7.7, -3.2}, {9.4, -2.0}, {8.0, 0.6}}};
    return {0.99 + 0.02 * frame / (kFrames - 1), kDrift[std::size_t(frame)][0], kDrift[std::size_t(frame)][1]};
}

// The frames and the exact all-in-focus picture in the geometry of frame `reference`.
struct ZStack {
    std::vector<platform::Bitmap> frames;
    platform::Bitmap truth;
};

inline ZStack render(int reference = kFrames / 2, int width = kWidth, int height = kHeight)
{
    platform::SpecimenRenderer renderer(width, height, platform::SpecimenRelief::Tilted);
    ZStack z;
    for (int i = 0; i < kFrames; ++i)
        z.frames.emplace_back(renderer.atFocus(focusOf(i), placementOf(i)));
    z.truth = platform::Bitmap(renderer.allInFocus(placementOf(reference)));
    return z;
}

// Where a frame placed at `f` shows the pixel that a frame placed at `r` shows at (x, y): both
// are a scale about the picture centre c then a shift d, in continuous coordinates where pixel x
// covers [x, x + 1).
inline stack::Warp warpBetween(const platform::SpecimenPlacement &r, const platform::SpecimenPlacement &f, int width,
                               int height)
{
    const double s = f.scale / r.scale;
    const double cx = width / 2.0, cy = height / 2.0;
    stack::Warp w;
    // x_f + 0.5 = cx + s (x_r + 0.5 - cx - r.dx) + f.dx
    w.m = {s, 0, cx - 0.5 + s * (0.5 - cx - r.dx) + f.dx, 0, s, cy - 0.5 + s * (0.5 - cy - r.dy) + f.dy};
    return w;
}

// The same between frames `reference` and `frame` of the nine.
inline stack::Warp trueWarp(int reference, int frame, int width = kWidth, int height = kHeight)
{
    return warpBetween(placementOf(reference), placementOf(frame), width, height);
}

// A long pass (the memory benchmark's thirty frames): focus 30 to 70 in `frames` steps, the
// magnification growing 2 % and the stage drifting 10 px right and 5 px up, evenly.
inline double longPassFocus(int frame, int frames) { return 30 + 40.0 * frame / (frames - 1); }

inline platform::SpecimenPlacement longPassPlacement(int frame, int frames)
{
    const double t = double(frame) / (frames - 1);
    return {0.99 + 0.02 * t, 10 * t, -5 * t};
}

} // namespace stackplan
