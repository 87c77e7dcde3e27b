#pragma once

#include <QObject>
#include <QThreadPool>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace platform {

// Runs slow media work (probing or decoding a video, later whole conversions) away from the thread
// that owns the worker, and hands each result back to that thread. A job is a callable that
// produces a value; its delivery is a callback run on the owner thread. Any job can be cancelled
// by its ticket, or all at once: a cancelled job that has not started never runs, and the result of
// one that is running is dropped, so a slot that moved on never shows a stale picture.
//
// Threads: the worker belongs to the thread that creates it (the UI thread in the program), which
// must run an event loop. Every public member is called on that owner thread only. Jobs run on a
// private pool of at most `maxThreads` threads, in the order they were posted; deliveries run on
// the owner thread, in the order the jobs finished.
//
// A job must not wait on the owner thread (no blocking queued call, no lock the owner holds while it
// destroys the worker): the destructor waits for the running jobs.
class MediaWorker final : public QObject
{
    Q_OBJECT
public:
    // Identifies one posted job; 0 is never handed out, so it can stand for "none".
    using Ticket = std::uint64_t;

    explicit MediaWorker(int maxThreads, QObject *parent = nullptr);
    // Cancels everything, then waits for the jobs already running (each is bounded by its own
    // timeouts). No delivery runs afterwards, so callbacks may point into the owner.
    ~MediaWorker() override;

    // Queues `job` and returns its ticket. `job` runs on a pool thread, as job() or, when it accepts
    // one, job(std::stop_token) so that a long job can notice a cancel and end early; it touches only
    // what it captured by value. Then deliver(result) runs on the owner thread, unless the ticket was
    // cancelled first. A job that throws delivers nothing (the exception is logged).
    template <typename Job, typename Deliver>
    Ticket post(Job job, Deliver deliver)
    {
        using Result = decltype(runJob(job, std::stop_token()));
        auto result = std::make_shared<std::optional<Result>>();
        return submit(
            [job = std::move(job), result](std::stop_token stop) mutable { result->emplace(runJob(job, stop)); },
            [deliver = std::move(deliver), result]() mutable { deliver(std::move(**result)); });
    }

    // Drops the ticket's delivery (and the job itself if it has not started). Unknown or already
    // delivered tickets are ignored.
    void cancel(Ticket ticket);
    void cancelAll();

    // Jobs whose delivery is still due (queued, running, or finished with the hand-off in flight).
    int pending() const { return int(live_.size()); }

private:
    struct Job;

    // Pool thread.
    template <typename J>
    static auto runJob(J &job, std::stop_token stop)
    {
        if constexpr (std::is_invocable_v<J &, std::stop_token>)
            return job(std::move(stop));
        else
            return job();
    }

    // Owner thread.
    Ticket submit(std::function<void(std::stop_token)> work, std::function<void()> deliver);
    // Owner thread, queued from the pool thread that ran the job.
    void finish(const std::shared_ptr<Job> &job);

    QThreadPool pool_;
    std::unordered_map<Ticket, std::shared_ptr<Job>> live_;
    Ticket lastTicket_ = 0;
};

} // namespace platform
