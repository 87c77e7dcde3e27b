#pragma once

// Measures our operation against its anchor in the same run, interleaved so that load on the
// machine hits both alike, and reports both times and their ratio as counters.
#include <benchmark/benchmark.h>

#include <chrono>

#include <sched.h>
#include <sys/resource.h>

namespace bench {

// Keeps the calling thread on the core it runs on while both sides are measured: a move to the
// other core between the two calls would charge one side alone with refilling a cold cache.
// Threads the operations start themselves are not held.
class PinToThisCore
{
public:
    PinToThisCore()
    {
        const int cpu = sched_getcpu();
        if (cpu < 0 || sched_getaffinity(0, sizeof(saved_), &saved_) != 0)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        pinned_ = sched_setaffinity(0, sizeof(one), &one) == 0;
    }
    ~PinToThisCore()
    {
        if (pinned_)
            sched_setaffinity(0, sizeof(saved_), &saved_);
    }
    PinToThisCore(const PinToThisCore &) = delete;
    PinToThisCore &operator=(const PinToThisCore &) = delete;

private:
    cpu_set_t saved_{};
    bool pinned_ = false;
};

template <class Ours, class Anchor>
void measureRatio(benchmark::State &state, Ours &&ours, Anchor &&anchor)
{
    using Clock = std::chrono::steady_clock;
    const PinToThisCore pin;
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

// The same, and also the process's CPU time on each side (all its threads), for operations that
// spread over several threads: the wall-time ratio is what the user waits, the CPU ratio what the
// machine pays.
template <class Ours, class Anchor>
void measureRatioAndCpu(benchmark::State &state, Ours &&ours, Anchor &&anchor)
{
    using Clock = std::chrono::steady_clock;
    auto cpuNow = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e9 + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e3;
    };
    double oursNs = 0, anchorNs = 0, oursCpu = 0, anchorCpu = 0;
    std::int64_t rounds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = cpuNow();
        ours();
        const auto t1 = Clock::now();
        const double c1 = cpuNow();
        anchor();
        const auto t2 = Clock::now();
        const double c2 = cpuNow();
        oursNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        anchorNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
        oursCpu += c1 - c0;
        anchorCpu += c2 - c1;
        ++rounds;
    }
    if (rounds == 0)
        return;
    state.counters["ours_ms"] = oursNs / rounds / 1e6;
    state.counters["anchor_ms"] = anchorNs / rounds / 1e6;
    state.counters["ratio"] = anchorNs > 0 ? oursNs / anchorNs : 0;
    state.counters["cpu_ratio"] = anchorCpu > 0 ? oursCpu / anchorCpu : 0;
}

} // namespace bench
