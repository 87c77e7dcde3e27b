#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Which source samples make one output sample along one direction, and how much each counts:
// area averaging (by covered length) where the direction shrinks, bilinear between the two nearest
// source centres where it grows or keeps its size. The taps of one output are consecutive source
// samples. Weights are fixed point and sum exactly to `unit`, so a flat picture stays flat.
struct FilterTaps {
    std::vector<int> first;            // per output sample: index of its first tap
    std::vector<int> count;            // per output sample: number of taps
    std::vector<int> source;           // per tap: source sample
    std::vector<std::int16_t> weight;  // per tap
};

FilterTaps makeFilterTaps(int from, int to, int unit);

} // namespace platform
