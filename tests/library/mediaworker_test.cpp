#include "platform/mediaworker.h"

#include "gate.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

using platform::MediaWorker;
using testgate::Gate;

namespace {

bool settles(const MediaWorker &worker) { return QTest::qWaitFor([&] { return worker.pending() == 0; }, 20000); }

} // namespace

TEST(MediaWorker, RunsJobsOffTheOwnerThreadAndDeliversOnIt)
{
    MediaWorker worker(2);
    std::atomic<QThread *> ranOn = nullptr;
    QThread *deliveredOn = nullptr;
    int value = 0;
    worker.post(
        [&] {
            ranOn = QThread::currentThread();
            return 42;
        },
        [&](int v) {
            deliveredOn = QThread::currentThread();
            value = v;
        });
    EXPECT_EQ(worker.pending(), 1);
    ASSERT_TRUE(settles(worker));
    EXPECT_EQ(value, 42);
    EXPECT_NE(ranOn.load(), QThread::currentThread());
    EXPECT_EQ(deliveredOn, QThread::currentThread());
}

TEST(MediaWorker, CancelledJobsDeliverNothingAndQueuedOnesNeverRun)
{
    MediaWorker worker(1);
    Gate gate;
    std::atomic<int> ran = 0;
    std::vector<int> delivered;
    auto job = [&](int id) {
        return [&, id] {
            ++ran;
            if (id == 0)
                gate.pass();
            return id;
        };
    };
    auto deliver = [&](int id) { delivered.push_back(id); };
    const MediaWorker::Ticket running = worker.post(job(0), deliver);
    const MediaWorker::Ticket queued = worker.post(job(1), deliver);
    worker.post(job(2), deliver);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.entered() == 1; }, 20000));
    worker.cancel(running);
    worker.cancel(queued);
    worker.cancel(queued);   // twice, and an unknown ticket: both ignored
    worker.cancel(9999);
    EXPECT_EQ(worker.pending(), 1);
    gate.open();
    ASSERT_TRUE(settles(worker));
    // The running job's hand-off was already in flight or not: it must be dropped either way.
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(delivered, std::vector<int>{2});
    EXPECT_EQ(ran.load(), 2);
}

TEST(MediaWorker, CancelAllEmptiesTheQueueAndLaterJobsStillRun)
{
    MediaWorker worker(1);
    Gate gate;
    std::atomic<int> ran = 0;
    int delivered = 0;
    worker.post(
        [&] {
            ++ran;
            return gate.pass();
        },
        [&](bool) { ++delivered; });
    for (int i = 0; i < 5; ++i)
        worker.post([&] { return ++ran; }, [&](int) { ++delivered; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.entered() == 1; }, 20000));
    worker.cancelAll();
    EXPECT_EQ(worker.pending(), 0);
    gate.open();
    worker.post([] { return 7; }, [&](int v) { delivered += v; });
    ASSERT_TRUE(settles(worker));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(delivered, 7);
    EXPECT_EQ(ran.load(), 1);
}

TEST(MediaWorker, AThrowingJobDeliversNothingAndTheNextOneRuns)
{
    MediaWorker worker(1);
    int delivered = 0;
    worker.post([]() -> int { throw std::runtime_error("unreadable"); }, [&](int) { delivered += 100; });
    worker.post([] { return 1; }, [&](int v) { delivered += v; });
    ASSERT_TRUE(settles(worker));
    EXPECT_EQ(delivered, 1);
}

TEST(MediaWorker, DestroyedWhileJobsRunWaitsForThemAndDeliversNothing)
{
    std::atomic<int> started = 0;
    std::atomic<int> finished = 0;
    int delivered = 0;
    // The delivery owns something, as a widget's callback points into its widget: it must be
    // released, never called, once the worker is gone.
    auto owned = std::make_shared<int>(0);
    std::weak_ptr<int> watch = owned;
    {
        MediaWorker worker(2);
        for (int i = 0; i < 6; ++i)
            worker.post(
                [&](std::stop_token stop) {
                    ++started;
                    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                    while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline)
                        QThread::yieldCurrentThread();
                    // Work that still has to end after the stop, as a pipeline's teardown does.
                    const auto tail = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
                    while (std::chrono::steady_clock::now() < tail)
                        QThread::yieldCurrentThread();
                    ++finished;
                    return 0;
                },
                [&, owned](int) { ++delivered; });
        owned.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return started == 2; }, 20000));
    }
    EXPECT_EQ(finished.load(), 2);   // the destructor waited for the running ones
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(started.load(), 2);   // the queued ones never started
    EXPECT_TRUE(watch.expired());
}

TEST(MediaWorker, ALongJobSeesTheCancelAndEndsEarly)
{
    std::atomic<bool> running = false;
    std::atomic<bool> sawStop = false;
    {
        MediaWorker worker(1);
        worker.post(
            [&](std::stop_token stop) {
                running = true;
                // A conversion's loop: one unit of work per turn, until told to stop (bounded, so a
                // broken cancel fails the test instead of hanging it).
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline)
                    QThread::yieldCurrentThread();
                sawStop = stop.stop_requested();
                return 0;
            },
            [](int) {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return running.load(); }, 20000));
    }   // without the stop the destructor would wait for the whole loop
    EXPECT_TRUE(sawStop);
}
