#pragma once

// Grey test pictures whose edges are known to a fraction of a pixel: every pixel takes the exact
// share of its square that a shape covers (pixel (i, j) is the square of side 1 centred on (i, j)),
// so a position found by the code can be checked against the geometry it was drawn from.

#include "measure/geometry.h"
#include "platform/bitmap.h"

#include <cstdint>

namespace measure::testing {

// Share of the square [x0, x1] x [y0, y1] that lies inside the circle of radius r about the origin.
double discCoverage(double x0, double x1, double y0, double y1, double r);
// Share of the square [x0, x1] x [y0, y1] between the lines n.p = low and n.p = high (n unit).
double bandCoverage(double x0, double x1, double y0, double y1, PrecisePoint n, double low, double high);

struct Greys {
    double background = 200;
    double shape = 60;
    double noiseSigma = 0;        // Gaussian noise added to every pixel, grey levels
    std::uint32_t seed = 20240611;
};

// A band (a bar seen through the picture) between n.p = low and n.p = high.
platform::Bitmap drawBand(int width, int height, PrecisePoint n, double low, double high, const Greys &greys);
platform::Bitmap drawDisc(int width, int height, PrecisePoint centre, double radius, const Greys &greys);

} // namespace measure::testing
