#pragma once

// Measures our operation against its anchor in the same run, interleaved so that load on the
// machine hits both alike, and reports both times and their ratio as counters.
#include <benchmark/benchmark.h>

#include <chrono>

namespace bench {

template <class Ours, class Anchor>
void measureRatio(benchmark::State &state, Ours &&ours, Anchor &&anchor)
{
    using Clock = std::chrono::steady_clock;
    double oursNs = 0, anchorNs = 0;
    std::int64_t rounds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        ours();
        const auto t1 = Clock::now();
        anchor();
        const auto t2 = Clock::now();
        oursNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        anchorNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
        ++rounds;
    }
    if (rounds == 0)
        return;
    state.counters["ours_ms"] = oursNs / rounds / 1e6;
    state.counters["anchor_ms"] = anchorNs / rounds / 1e6;
    state.counters["ratio"] = anchorNs > 0 ? oursNs / anchorNs : 0;
}

} // namespace bench
