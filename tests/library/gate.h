#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <optional>

namespace testgate {

// Holds worker threads inside a job until the test lets them through, so a test knows exactly
// which jobs are running, without guessing at timings. Every wait is bounded, so a broken test
// fails instead of hanging.
class Gate
{
public:
    // Worker thread: counts the caller in, then blocks until open() or `limit`. True when opened.
    bool pass(std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        std::unique_lock lock(mutex_);
        ++entered_;
        changed_.notify_all();
        const bool opened = changed_.wait_for(lock, limit, [this] { return open_; });
        ++left_;
        return opened;
    }
    // Any thread.
    void open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    int entered() const
    {
        std::lock_guard lock(mutex_);
        return entered_;
    }
    int left() const
    {
        std::lock_guard lock(mutex_);
        return left_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int entered_ = 0;
    int left_ = 0;
};

// Measures how long the UI thread's event loop goes without turning: a 10 ms timer notes the gap
// between its ticks. A UI thread blocked by a slow call, whether it computes or sleeps in a wait,
// shows up as one long gap.
//
// On a machine with more runnable threads than cores the kernel may also keep a ready UI thread
// off the processor for tens of milliseconds, which no code of ours can prevent. The kernel counts
// that time (the run-queue wait in /proc/thread-self/schedstat), so the probe also reports each
// gap without it: the time the thread ran or was blocked, which is what a test can hold our code to.
class LatencyProbe
{
public:
    LatencyProbe()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { note(); ++ticks_; });
    }
    void start()
    {
        clock_.start();
        lastNs_ = 0;
        lastQueuedNs_ = runQueueWaitNs().value_or(0);
        timer_.start();
    }
    // Counts the time since the last tick too, so a block just before stop() is not missed.
    void stop()
    {
        timer_.stop();
        note();
    }
    double worstGapMs() const { return double(worstGapNs_) / 1e6; }
    // The worst gap less the time the thread was ready but not given a processor; the plain gap
    // when the kernel does not report it.
    double worstGapWithoutRunQueueMs() const { return double(worstOwnGapNs_) / 1e6; }
    int ticks() const { return ticks_; }

private:
    // The calling thread's total time spent ready to run but waiting for a processor.
    static std::optional<qint64> runQueueWaitNs()
    {
        std::ifstream in("/proc/thread-self/schedstat");
        long long onCpu = 0, waiting = 0;
        if (!(in >> onCpu >> waiting))
            return std::nullopt;
        return waiting;
    }
    void note()
    {
        const qint64 now = clock_.nsecsElapsed();
        const std::optional<qint64> queued = runQueueWaitNs();
        const qint64 gap = now - lastNs_;
        worstGapNs_ = std::max(worstGapNs_, gap);
        worstOwnGapNs_ = std::max(worstOwnGapNs_, queued ? gap - (*queued - lastQueuedNs_) : gap);
        lastNs_ = now;
        lastQueuedNs_ = queued.value_or(0);
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastNs_ = 0;
    qint64 lastQueuedNs_ = 0;
    qint64 worstGapNs_ = 0;
    qint64 worstOwnGapNs_ = 0;
    int ticks_ = 0;
};

} // namespace testgate
