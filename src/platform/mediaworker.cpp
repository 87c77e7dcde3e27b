#include "mediaworker.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <algorithm>
#include <exception>

namespace platform {

namespace {
Q_LOGGING_CATEGORY(lcWorker, "sendra.platform.worker")
}

// Shared by the owner thread and the one pool thread that runs it. `work` is used only by the pool
// thread, `deliver` and `failed` are read on the owner thread after the queued hand-off, which
// orders them after the pool thread's writes.
struct MediaWorker::Job {
    Ticket ticket = 0;
    std::stop_source stop;
    std::function<void(std::stop_token)> work;
    std::function<void()> deliver;
    bool failed = false;
};

MediaWorker::MediaWorker(int maxThreads, QObject *parent) : QObject(parent)
{
    pool_.setMaxThreadCount(std::max(1, maxThreads));
}

MediaWorker::~MediaWorker()
{
    cancelAll();
    // The running jobs still post their hand-off to this object; those events are discarded with
    // it, after the wait, so no pool thread ever posts to a destroyed object.
    pool_.waitForDone();
}

MediaWorker::Ticket MediaWorker::submit(std::function<void(std::stop_token)> work, std::function<void()> deliver)
{
    auto job = std::make_shared<Job>();
    job->ticket = ++lastTicket_;
    job->work = std::move(work);
    job->deliver = std::move(deliver);
    live_.emplace(job->ticket, job);
    pool_.start([this, job] {
        // Pool thread.
        if (job->stop.stop_requested())
            return;
        try {
            job->work(job->stop.get_token());
        } catch (const std::exception &e) {
            qCWarning(lcWorker) << "job" << job->ticket << "failed:" << e.what();
            job->failed = true;
        } catch (...) {
            qCWarning(lcWorker) << "job" << job->ticket << "failed";
            job->failed = true;
        }
        // What the job captured goes here, on the thread that used it.
        job->work = nullptr;
        if (!job->stop.stop_requested())
            QMetaObject::invokeMethod(this, [this, job] { finish(job); }, Qt::QueuedConnection);
    });
    return job->ticket;
}

void MediaWorker::finish(const std::shared_ptr<Job> &job)
{
    // A cancel may have come after the pool thread looked: the owner thread's map decides.
    const auto it = live_.find(job->ticket);
    if (it == live_.end())
        return;
    live_.erase(it);
    if (!job->failed)
        job->deliver();
    job->deliver = nullptr;
}

void MediaWorker::cancel(Ticket ticket)
{
    const auto it = live_.find(ticket);
    if (it == live_.end())
        return;
    it->second->stop.request_stop();
    live_.erase(it);
}

void MediaWorker::cancelAll()
{
    for (auto &[ticket, job] : live_)
        job->stop.request_stop();
    live_.clear();
    // Jobs not yet started leave the queue at once instead of each waking a thread to see the stop.
    pool_.clear();
}

} // namespace platform
