#include "platform/MainThread.h"
#include "testsupport/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

TEST(PostToMainThread, WorkPostedFromAnotherThreadRunsOnTheMainThreadAndSeesWhatThePosterWrote)
{
    fixtures::application();
    QObject context;
    constexpr int kPosts = 200;
    // Plain memory, written by the poster only: under the thread checker this test fails when the
    // hand-over is one it cannot follow. The poster stays until every work has run, so that its
    // end (the join) orders nothing before them; relaxed atomics order nothing either.
    std::atomic<int> ran{0};
    std::atomic<int> sum{0};
    std::atomic<bool> allOnMain{true};
    std::thread poster([&] {
        for (int i = 1; i <= kPosts; ++i) {
            auto value = std::make_shared<int>(0);
            *value = i;
            platform::postToMainThread(&context, [&, value] {
                if (!platform::isMainThread())
                    allOnMain.store(false, std::memory_order_relaxed);
                sum.fetch_add(*value, std::memory_order_relaxed);
                ran.fetch_add(1, std::memory_order_relaxed);
            });
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        for (int waited = 0; waited < 10000 && ran.load(std::memory_order_relaxed) < kPosts;
             ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    // Busy on the event loop, as a player's main thread is, rather than asleep in it.
    QElapsedTimer clock;
    clock.start();
    while (ran.load(std::memory_order_relaxed) < kPosts && clock.elapsed() < 10000)
        QCoreApplication::processEvents();
    poster.join();
    EXPECT_EQ(ran.load(), kPosts);
    EXPECT_EQ(sum.load(), kPosts * (kPosts + 1) / 2);
    EXPECT_TRUE(allOnMain.load());
}

TEST(PostToMainThread, WorkForAContextThatHasGoneIsDropped)
{
    fixtures::application();
    std::atomic<int> ran{0};
    auto context = std::make_unique<QObject>();
    std::thread poster([&] { platform::postToMainThread(context.get(), [&] { ++ran; }); });
    poster.join();
    context.reset();
    ASSERT_TRUE(fixtures::spinUntilPostedCallsHaveRun());
    EXPECT_EQ(ran.load(), 0);
    // Nothing to post to, or nothing to post: nothing happens.
    platform::postToMainThread(nullptr, [&] { ++ran; });
    platform::postToMainThread(&fixtures::application(), {});
    ASSERT_TRUE(fixtures::spinUntilPostedCallsHaveRun());
    EXPECT_EQ(ran.load(), 0);
}

} // namespace
