#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

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
// between its ticks. A UI thread blocked by a slow call shows up as one long gap.
class LatencyProbe
{
public:
    LatencyProbe()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            worstGapNs_ = std::max(worstGapNs_, now - lastNs_);
            lastNs_ = now;
            ++ticks_;
        });
    }
    void start()
    {
        clock_.start();
        lastNs_ = 0;
        timer_.start();
    }
    // Counts the time since the last tick too, so a block just before stop() is not missed.
    void stop()
    {
        timer_.stop();
        worstGapNs_ = std::max(worstGapNs_, clock_.nsecsElapsed() - lastNs_);
    }
    double worstGapMs() const { return double(worstGapNs_) / 1e6; }
    int ticks() const { return ticks_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastNs_ = 0;
    qint64 worstGapNs_ = 0;
    int ticks_ = 0;
};

} // namespace testgate
