#pragma once

// The dark minima of a line profile, each placed between its samples by the parabola through the
// sample and its two neighbours: a line one pixel wide is found to a fraction of a pixel, not only
// to the nearest sample.
#include "measure/lineprofile.h"

#include <vector>

namespace measure::testing {

inline std::vector<double> profileMinima(const LineProfile &p, double below)
{
    std::vector<double> at;
    const auto &s = p.samples;
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        const double a = s[i - 1].intensity, b = s[i].intensity, c = s[i + 1].intensity;
        if (!(b < a && b <= c && b < below))
            continue;
        const double curve = a - 2 * b + c;
        const double offset = curve > 0 ? 0.5 * (a - c) / curve : 0.0;   // in samples, -0.5 .. 0.5
        at.push_back(s[i].distance + offset * (s[i + 1].distance - s[i].distance));
    }
    return at;
}

} // namespace measure::testing
