#include "Reelsmith/movie/SerialQueue.h"
#include "testsupport/WaitUntil.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using Reelsmith::detail::SerialQueue;

namespace {

TEST(SerialQueue, OperationsRunOneAtATimeInOrder)
{
    SerialQueue queue;
    std::mutex lock;
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<int> overlap{0};
    // Posted from several threads at once: each thread's own operations keep their order.
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                queue.post([&, t, i] {
                    if (running.fetch_add(1) != 0)
                        ++overlap;
                    {
                        std::lock_guard guard(lock);
                        order.push_back(t * 1000 + i);
                    }
                    running.fetch_sub(1);
                });
            }
        });
    }
    for (auto &poster : posters)
        poster.join();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(overlap.load(), 0);
    ASSERT_EQ(order.size(), 200u);
    int last[4] = {-1, -1, -1, -1};
    for (int value : order) {
        const int t = value / 1000;
        EXPECT_GT(value % 1000, last[t]);
        last[t] = value % 1000;
    }
    EXPECT_EQ(queue.operationCount(), 0u);
}

TEST(SerialQueue, WorkAskedFromTheQueueRunsInlineInsteadOfWaitingOnItself)
{
    SerialQueue queue;
    std::vector<int> order;
    bool inline_ = false;
    queue.run(
        [&] {
            order.push_back(1);
            // A waiting request from the queue itself would never finish if it were queued.
            queue.run([&] { order.push_back(2); }, true);
            inline_ = queue.isCurrent();
            // So does a flush.
            queue.waitUntilAllOperationsAreFinished();
            order.push_back(3);
        },
        true);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(inline_);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueue, WaitingCallsReturnAfterTheirOperation)
{
    SerialQueue queue;
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    std::atomic<bool> second{false};
    queue.post([gate] { gate.wait(); });
    queue.post([&] { second = true; });
    EXPECT_EQ(queue.operationCount(), 2u);
    auto flushed
        = std::async(std::launch::async, [&] { queue.waitUntilAllOperationsAreFinished(); });
    EXPECT_EQ(flushed.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout)
        << "a flush waits behind a blocked operation";
    release.set_value();
    flushed.get();
    EXPECT_TRUE(second.load());
}

TEST(SerialQueue, ShutdownRunsWhatIsQueuedAndRefusesMore)
{
    std::atomic<int> ran{0};
    {
        SerialQueue queue;
        for (int i = 0; i < 10; ++i)
            queue.post([&] { ++ran; });
        queue.shutdown();
        EXPECT_EQ(ran.load(), 10);
        EXPECT_FALSE(queue.post([&] { ++ran; }));
        queue.shutdown();
    }
    EXPECT_EQ(ran.load(), 10);
}

// A movie destroyed just after a seek drains the seek's work in shutdown; that work asserts that it
// runs on the queue, which failed once the worker had been taken for joining.
TEST(SerialQueue, WhatShutdownDrainsStillRunsAsTheQueuesOwn)
{
    SerialQueue queue;
    std::atomic<int> current{0};
    std::atomic<int> ran{0};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    queue.post([released] { released.wait(); });
    for (int i = 0; i < 5; ++i) {
        queue.post([&] {
            ++ran;
            if (queue.isCurrent())
                ++current;
        });
    }
    std::thread closer([&] { queue.shutdown(); });
    // Let the closer take the worker for joining before the queued work runs: it does so in the
    // same step that makes the queue refuse new work (a refused no-op is dropped, an accepted
    // one runs harmlessly).
    EXPECT_TRUE(fixtures::waitUntil([&] { return !queue.post([] {}); }));
    release.set_value();
    closer.join();
    EXPECT_EQ(ran.load(), 5);
    EXPECT_EQ(current.load(), 5);
    EXPECT_FALSE(queue.isCurrent());
}

std::mutex g_warningsLock;
QStringList g_warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtWarningMsg)
        return;
    std::lock_guard guard(g_warningsLock);
    g_warnings.append(message);
}

TEST(SerialQueue, AThrowingOperationDoesNotStopTheQueueAndSaysWhy)
{
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    bool after = false;
    {
        SerialQueue queue;
        queue.post([] { throw std::runtime_error("decode failed"); });
        queue.post([] { throw 7; });
        queue.run([&] { after = true; }, true);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(after);
    std::lock_guard guard(g_warningsLock);
    ASSERT_EQ(g_warnings.size(), 2) << g_warnings.join(u'|').toStdString();
    EXPECT_TRUE(g_warnings[0].contains("decode failed")) << g_warnings[0].toStdString();
    EXPECT_TRUE(g_warnings[1].contains("unknown exception")) << g_warnings[1].toStdString();
}

} // namespace
