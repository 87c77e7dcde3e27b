#include "filtertaps.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace platform {

FilterTaps makeFilterTaps(int from, int to, int unit)
{
    FilterTaps t;
    t.first.resize(std::size_t(to));
    t.count.resize(std::size_t(to));
    const double s = double(from) / to;
    std::vector<std::pair<int, double>> part;
    for (int i = 0; i < to; ++i) {
        part.clear();
        if (s > 1.0) {
            // Shrinking: the average of everything the output sample covers, by covered length.
            const double a = i * s, b = (i + 1) * s;
            for (int j = int(a); j < from && j < b; ++j) {
                const double overlap = std::min(b, j + 1.0) - std::max(a, double(j));
                if (overlap > 1e-9)
                    part.emplace_back(j, overlap / s);
            }
        } else {
            // Enlarging (or the same size): bilinear between the two nearest source centres.
            const double pos = std::clamp((i + 0.5) * s - 0.5, 0.0, double(from - 1));
            const int j = int(pos);
            const double f = pos - j;
            part.emplace_back(j, 1.0 - f);
            if (f > 1e-9 && j + 1 < from)
                part.emplace_back(j + 1, f);
        }
        const std::size_t first = t.source.size();
        t.first[std::size_t(i)] = int(first);
        t.count[std::size_t(i)] = int(part.size());
        int sum = 0, largest = 0;
        for (std::size_t k = 0; k < part.size(); ++k) {
            const int w = int(part[k].second * unit + 0.5);
            t.source.push_back(part[k].first);
            t.weight.push_back(std::int16_t(w));
            sum += w;
            if (w > t.weight[first + std::size_t(largest)])
                largest = int(k);
        }
        t.weight[first + std::size_t(largest)] += std::int16_t(unit - sum);
        if (t.weight[first + std::size_t(largest)] < 0) {
            // Many small taps whose roundings add up to more than the unit (a strong reduction
            // in few weight steps): round the running total instead, so every weight stays
            // between 0 and the unit and they still sum to it exactly.
            double total = 0;
            int given = 0;
            for (std::size_t k = 0; k < part.size(); ++k) {
                total += part[k].second;
                const int upTo = k + 1 == part.size() ? unit : std::min(unit, int(total * unit + 0.5));
                t.weight[first + k] = std::int16_t(upTo - given);
                given = upTo;
            }
        }
    }
    return t;
}

} // namespace platform
