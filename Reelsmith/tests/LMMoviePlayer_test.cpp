#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/player/LMMoviePlayer.h"
#include "Reelsmith/player/LMMoviePlayerDelegate.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "testsupport/EventLoop.h"
#include "testsupport/MediaFixtures.h"

#include <QTimer>
#include <chrono>
#include <cmath>
#include <future>
#include <gtest/gtest.h>
#include <initializer_list>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

using fixtures::MediaFixtures;

namespace {

constexpr int64_t kSecond = 1000000;
// Generous: decoding under the sanitizers on a busy machine is slow.
constexpr int kFrameTimeoutMs = 20000;

// Counts what the player tells it.
class CountingDelegate : public LMMoviePlayerDelegate
{
public:
    void imageDidFlushInPlayer(LMMoviePlayer *player) override
    {
        ++flushes;
        last = player;
    }
    int flushes = 0;
    LMMoviePlayer *last = nullptr;
};

// Holds the movie's decode queue until released (by the test, or at the latest after a few
// seconds, so that a player that waits for the queue makes the test fail rather than hang).
class QueueGate
{
public:
    explicit QueueGate(LMFFMovie &movie)
    {
        std::shared_future<void> opened = m_open.get_future().share();
        movie.decodeImageWaitUntilDone([opened] { opened.wait(); }, false);
        m_safety = std::thread([this, opened] {
            if (opened.wait_for(std::chrono::seconds(5)) == std::future_status::timeout)
                release();
        });
    }
    ~QueueGate()
    {
        release();
        m_safety.join();
    }
    void release()
    {
        std::call_once(m_once, [this] { m_open.set_value(); });
    }

private:
    std::promise<void> m_open;
    std::once_flag m_once;
    std::thread m_safety;
};

// A player that counts the ticks of its own timer, so that a test waits for ticks that really
// happened rather than for a stretch of time it hopes holds a few.
class TickCountingPlayer : public LMMoviePlayer
{
public:
    void timerUpdateImageMethod() override
    {
        ++ticks;
        LMMoviePlayer::timerUpdateImageMethod();
    }
    int ticks = 0;
};

// Runs the event loop until each player's timer has ticked n more times.
bool spinTicks(std::initializer_list<TickCountingPlayer *> players, int n, int timeoutMs)
{
    std::vector<int> until;
    for (const TickCountingPlayer *player : players)
        until.push_back(player->ticks + n);
    return fixtures::spinUntil(
        [&] {
            size_t i = 0;
            for (const TickCountingPlayer *player : players) {
                if (player->ticks < until[i++])
                    return false;
            }
            return true;
        },
        timeoutMs);
}

// n ticks of each player, then whatever they asked for has come back: the decode queues are
// empty and the notices they posted have been delivered.
bool letTicksPass(std::initializer_list<TickCountingPlayer *> players, int n)
{
    if (!spinTicks(players, n, kFrameTimeoutMs))
        return false;
    for (const TickCountingPlayer *player : players) {
        if (const auto movie = player->ffmovie())
            movie->flushOperation();
    }
    return fixtures::spinUntilPostedCallsHaveRun(kFrameTimeoutMs);
}

class MoviePlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixtures::application();
        const QString path = MediaFixtures::shared().h264AacMp4(3);
        ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
        segment = LMSegmentMovie::movieWithPath(path);
        ASSERT_TRUE(segment);
        movie = segment->ffmovie();
        ASSERT_TRUE(movie && movie->hasVideo());
    }
    void TearDown() override
    {
        if (movie) {
            movie->pause();
            movie->flushOperation();
        }
    }

    // A paused player on the segment whose first frame (asked for when it took the segment) has
    // arrived.
    std::unique_ptr<TickCountingPlayer> settledPlayer(CountingDelegate &delegate)
    {
        auto player = std::make_unique<TickCountingPlayer>();
        player->setDelegate(&delegate);
        player->setSegmentMovie(segment);
        EXPECT_TRUE(fixtures::spinUntil([&] { return delegate.flushes > 0; }, kFrameTimeoutMs));
        EXPECT_EQ(player->frameRequestCount(), 1);
        return player;
    }

    std::shared_ptr<LMSegmentMovie> segment;
    std::shared_ptr<LMFFMovie> movie;
};

struct BoundsCase
{
    const char *name;
    bool preview;
    int64_t time;
    int64_t expected;
};

TEST_F(MoviePlayerTest, KeepsThePlayheadWithinTheSegmentInPreviewAndWithinTheMovieOtherwise)
{
    const int64_t start = 1 * kSecond;
    const int64_t stop = 2 * kSecond;
    segment->setStart(start);
    segment->setStop(stop);
    const int64_t end = movie->duration();
    const BoundsCase cases[] = {
        {"preview: 0.05 s before the start is left alone", true, start - 50000, start - 50000},
        {"preview: 0.1 s before the start is left alone", true, start - 100000, start - 100000},
        {"preview: 0.2 s before the start goes to the start", true, start - 200000, start},
        {"preview: 1 us past the stop goes to the start", true, stop + 1, start},
        {"preview: the stop itself is left alone", true, stop, stop},
        {"preview: inside is left alone", true, start + kSecond / 2, start + kSecond / 2},
        {"plain: before the start is left alone", false, start - 200000, start - 200000},
        {"plain: past the stop is left alone", false, stop + 1, stop + 1},
        {"plain: the movie's end is left alone", false, end, end},
        {"plain: past the movie's end goes to 0", false, end + 1, 0},
    };
    LMMoviePlayer player;
    player.setSegmentMovie(segment);
    for (const BoundsCase &row : cases) {
        SCOPED_TRACE(row.name);
        player.setIsApplyEffect(row.preview);
        player.setCurrentTime(row.time);
        player.updatePlayerPlaySegment();
        EXPECT_EQ(movie->currentTime(), row.expected);
    }
}

struct GainCase
{
    const char *name;
    bool preview;
    double rampGain;
    float expected;
};

TEST_F(MoviePlayerTest, GainIsTheSegmentsFadeGainClampedToZeroToOneInPreviewOnly)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const GainCase cases[] = {
        {"preview: a gain within range is kept", true, 0.5, 0.5f},
        {"preview: above 1 is clamped to 1", true, 2.5, 1.0f},
        {"preview: below 0 is clamped to 0", true, -0.5, 0.0f},
        {"preview: not a number becomes 0", true, nan, 0.0f},
        {"plain: the fades are not applied", false, 0.5, 1.0f},
        {"plain: not even a gain that is not a number", false, nan, 1.0f},
    };
    LMMoviePlayer player;
    player.setSegmentMovie(segment);
    player.setCurrentTime(kSecond);
    for (const GainCase &row : cases) {
        SCOPED_TRACE(row.name);
        // A flat ramp over the whole movie: its gain is rampGain everywhere inside.
        segment->setAudioFades({LMSegmentMovieFade(0, 10 * kSecond, row.rampGain, row.rampGain)});
        player.setIsApplyEffect(row.preview);
        movie->setPlayVolume(0.123f);
        player.updatePlayerVolume();
        EXPECT_FLOAT_EQ(movie->playVolume(), row.expected);
    }

    // The segment's own fade-in counts the same way: half-way through a 2 s fade-in the gain is
    // one half.
    segment->setAudioFades({});
    segment->setStart(0);
    segment->setFadeIn(2 * kSecond);
    player.setIsApplyEffect(true);
    player.updatePlayerVolume();
    EXPECT_NEAR(movie->playVolume(), 0.5f, 1e-4);
}

TEST_F(MoviePlayerTest, ASecondPlayerThatPlaysTheSegmentTakesItFromTheFirst)
{
    CountingDelegate firstDelegate;
    CountingDelegate secondDelegate;
    TickCountingPlayer first;
    TickCountingPlayer second;
    EXPECT_NE(first.player_id(), second.player_id());
    first.setDelegate(&firstDelegate);
    second.setDelegate(&secondDelegate);
    first.setSegmentMovie(segment);
    second.setSegmentMovie(segment);

    first.play();
    EXPECT_TRUE(first.isPlay());
    EXPECT_FALSE(second.isPlay());
    EXPECT_TRUE(
        fixtures::spinUntil([&] { return first.frameRequestCount() >= 3; }, kFrameTimeoutMs))
        << "a playing player asks for frames tick after tick";

    second.play();
    EXPECT_FALSE(first.isPlay()) << "the movie plays, but for the second player";
    EXPECT_TRUE(second.isPlay());
    EXPECT_TRUE(movie->isPlay());
    // Let a request of the first player that was still running come back, with its notice.
    ASSERT_TRUE(
        fixtures::spinUntil([&] { return !first.isFrameRequestInFlight(); }, kFrameTimeoutMs));
    movie->flushOperation();
    ASSERT_TRUE(fixtures::spinUntilPostedCallsHaveRun(kFrameTimeoutMs));
    const int64_t firstRequests = first.frameRequestCount();
    const int firstFlushes = firstDelegate.flushes;
    const int64_t secondRequests = second.frameRequestCount();
    ASSERT_TRUE(letTicksPass({&first, &second}, 8));
    EXPECT_EQ(first.frameRequestCount(), firstRequests) << "the first player stopped refreshing";
    EXPECT_EQ(firstDelegate.flushes, firstFlushes);
    EXPECT_GT(second.frameRequestCount(), secondRequests);
    EXPECT_GT(secondDelegate.flushes, 0);

    second.pause();
    EXPECT_FALSE(second.isPlay());
    EXPECT_FALSE(movie->isPlay());
}

TEST_F(MoviePlayerTest, APausedPlayerFetchesOneFramePerSeekOrPauseAndNonePerTick)
{
    CountingDelegate delegate;
    auto player = settledPlayer(delegate);
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->currentMovieImage());
    EXPECT_EQ(delegate.last, player.get());

    // Ticks alone fetch nothing.
    ASSERT_TRUE(letTicksPass({player.get()}, 6));
    EXPECT_EQ(player->frameRequestCount(), 1);
    EXPECT_EQ(delegate.flushes, 1);

    // A seek: one frame, the one at the new time.
    player->setCurrentTime(kSecond);
    ASSERT_TRUE(fixtures::spinUntil([&] { return delegate.flushes == 2; }, kFrameTimeoutMs));
    ASSERT_TRUE(letTicksPass({player.get()}, 6));
    EXPECT_EQ(player->frameRequestCount(), 2);
    EXPECT_EQ(delegate.flushes, 2);
    const auto image = player->currentMovieImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frameTime(), kSecond);

    // A pause: one more.
    player->pause();
    ASSERT_TRUE(fixtures::spinUntil([&] { return delegate.flushes == 3; }, kFrameTimeoutMs));
    ASSERT_TRUE(letTicksPass({player.get()}, 6));
    EXPECT_EQ(player->frameRequestCount(), 3);
    EXPECT_EQ(delegate.flushes, 3);
}

TEST_F(MoviePlayerTest, TheTickAsksWithoutWaitingAndKeepsOneRequestInFlight)
{
    CountingDelegate delegate;
    auto player = settledPlayer(delegate);
    ASSERT_TRUE(player);

    int loopTurns = 0;
    QTimer counter;
    QObject::connect(&counter, &QTimer::timeout, [&] { ++loopTurns; });
    counter.start(10);
    {
        QueueGate gate(*movie);
        player->setCurrentTime(kSecond);
        // The gate opens by itself after five seconds: ticks that waited for the blocked queue
        // would not reach eight before that.
        EXPECT_TRUE(spinTicks({player.get()}, 8, 4000))
            << "a tick waited for the blocked decode queue";
        EXPECT_GE(loopTurns, 10) << "the event loop kept running";
        EXPECT_EQ(player->frameRequestCount(), 2);
        EXPECT_TRUE(player->isFrameRequestInFlight());

        // A change while the request is held is not lost, and asks nothing more for now.
        player->setCurrentTime(2 * kSecond);
        EXPECT_TRUE(spinTicks({player.get()}, 4, 4000));
        EXPECT_EQ(player->frameRequestCount(), 2);
        gate.release();
    }
    // The held request comes back; the next tick asks again for the change that waited.
    ASSERT_TRUE(fixtures::spinUntil(
        [&] { return player->frameRequestCount() == 3 && !player->isFrameRequestInFlight(); },
        kFrameTimeoutMs));
    ASSERT_TRUE(fixtures::spinUntil(
        [&] {
            const auto image = player->currentMovieImage();
            return image && image->frameTime() == 2 * kSecond;
        },
        kFrameTimeoutMs));
    ASSERT_TRUE(letTicksPass({player.get()}, 4));
    EXPECT_EQ(player->frameRequestCount(), 3);
}

TEST_F(MoviePlayerTest, FramesArrivingFasterThanTheMainThreadTakesThemCollapseIntoOneNotice)
{
    CountingDelegate delegate;
    auto player = settledPlayer(delegate);
    ASSERT_TRUE(player);

    // Two frames arrive while the main thread does not run its loop.
    player->setCurrentTime(kSecond);
    player->updateCurrentImage();
    movie->flushOperation();
    player->setCurrentTime(2 * kSecond);
    player->updateCurrentImage();
    movie->flushOperation();
    EXPECT_EQ(player->frameRequestCount(), 3);
    ASSERT_TRUE(letTicksPass({player.get()}, 2));
    EXPECT_EQ(delegate.flushes, 2) << "one notice for both frames";
    ASSERT_TRUE(player->currentMovieImage());
    EXPECT_EQ(player->currentMovieImage()->frameTime(), 2 * kSecond);

    // Once taken, the next frame is told again.
    player->setCurrentTime(0);
    ASSERT_TRUE(fixtures::spinUntil([&] { return delegate.flushes == 3; }, kFrameTimeoutMs));
}

TEST_F(MoviePlayerTest, LateFramesAndNoticesForAPlayerThatIsGoneAreDropped)
{
    CountingDelegate delegate;

    // A request still held on the decode queue when the player goes.
    {
        auto player = settledPlayer(delegate);
        ASSERT_TRUE(player);
        QueueGate gate(*movie);
        player->setCurrentTime(kSecond);
        ASSERT_TRUE(fixtures::spinUntil([&] { return player->frameRequestCount() == 2; }, 2000));
        player.reset();
        gate.release();
    }
    movie->flushOperation();
    ASSERT_TRUE(fixtures::spinUntilPostedCallsHaveRun(kFrameTimeoutMs));
    EXPECT_EQ(delegate.flushes, 1) << "nothing after the player went";

    // A notice already queued on the main thread when the player goes.
    delegate.flushes = 0;
    {
        auto player = settledPlayer(delegate);
        ASSERT_TRUE(player);
        player->setCurrentTime(2 * kSecond);
        player->updateCurrentImage();
        movie->flushOperation(); // the frame has arrived; its notice waits for the loop
        player.reset();
    }
    movie->flushOperation();
    ASSERT_TRUE(fixtures::spinUntilPostedCallsHaveRun(kFrameTimeoutMs));
    EXPECT_EQ(delegate.flushes, 1) << "only the first frame's notice, before the player went";
}

TEST_F(MoviePlayerTest, WithoutVideoThereIsNoFrameAndTheDelegateIsToldAtOnce)
{
    const QString path = MediaFixtures::shared().audioOnlyWav();
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    const auto sound = LMSegmentMovie::movieWithPath(path);
    ASSERT_TRUE(sound);
    ASSERT_FALSE(sound->ffmovie()->hasVideo());

    CountingDelegate delegate;
    TickCountingPlayer player;
    player.setDelegate(&delegate);
    player.setSegmentMovie(sound);
    player.timerUpdateImageMethod();
    EXPECT_EQ(delegate.flushes, 1);
    EXPECT_EQ(player.frameRequestCount(), 0);
    EXPECT_FALSE(player.currentMovieImage());

    // Paused, ticks tell nothing more.
    ASSERT_TRUE(letTicksPass({&player}, 4));
    EXPECT_EQ(delegate.flushes, 1);
}

TEST_F(MoviePlayerTest, AMovieBeingExportedIsNotAskedForFrames)
{
    CountingDelegate delegate;
    auto player = settledPlayer(delegate);
    ASSERT_TRUE(player);
    movie->setExportMovie(true);
    player->setCurrentTime(kSecond);
    ASSERT_TRUE(letTicksPass({player.get()}, 6));
    EXPECT_EQ(player->frameRequestCount(), 1);
    EXPECT_FALSE(player->isFrameRequestInFlight()) << "no request left hanging";
    movie->setExportMovie(false);
    player->setCurrentTime(kSecond);
    ASSERT_TRUE(fixtures::spinUntil([&] { return delegate.flushes == 2; }, kFrameTimeoutMs));
}

TEST_F(MoviePlayerTest, ClearingThePlayerDropsTheSegmentAndTheFrame)
{
    CountingDelegate delegate;
    auto player = settledPlayer(delegate);
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->currentMovieImage());
    player->clearPlayer();
    EXPECT_FALSE(player->segmentMovie());
    EXPECT_FALSE(player->ffmovie());
    EXPECT_FALSE(player->currentMovieImage());
    EXPECT_FALSE(player->isPlay());
    EXPECT_EQ(player->duration(), 0);
}

} // namespace
