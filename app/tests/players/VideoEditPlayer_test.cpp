// The video editor's player: its timeline over the clip's window, the jumps over cuts and the loop
// over the kept trims in preview, and the restart at the window's start otherwise.

#include "app/AppExtention/Convert/VideoEditPlayer.h"
#include "support/PlayerClips.h"

#include <gtest/gtest.h>

using namespace players_testing;

namespace {

class VideoEditPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setUpPlayerTest();
        clip = testClip(6);
        ASSERT_TRUE(clip);
        movie = clip->movie();
    }
    void TearDown() override { settle(clip); }

    // A player on the clip, its window the clip's own as the editor sets it.
    void takeClip(VideoEditPlayer &player, int64_t windowStart, int64_t windowStop)
    {
        clip->setTrimStart(windowStart);
        clip->setTrimStop(windowStop);
        player.setOldMovieTrimStart(windowStart);
        player.setOldMovieTrimStop(windowStop);
        player.setVcMovie(clip);
    }

    VCMovieRef clip;
    std::shared_ptr<LMFFMovie> movie;
};

struct TickCase
{
    const char *name;
    bool preview;
    int64_t movieTime;
    int64_t expectedMovieTime;
    double expectedTrimStart; // seconds; the trim current after the tick
};

TEST_F(VideoEditPlayerTest, InPreviewItJumpsOverCutsAndLoopsOverTheKeptTrims)
{
    VideoEditPlayer player;
    takeClip(player, 0, 6 * kSecond);
    clip->setTrimArray({MovieTrimItem::item(2.0, 2.0), MovieTrimItem::item(6.0, 2.0)});
    const TickCase cases[] = {
        {"inside the first trim", true, 3 * kSecond, 3 * kSecond, 2.0},
        {"the first trim's end is kept", true, 4 * kSecond, 4 * kSecond, 2.0},
        {"just past 4 s jumps to 6 s", true, 4 * kSecond + 50000, 6 * kSecond, 6.0},
        {"5.995 s is within 0.01 s of 6 s: not moved", true, 5995000, 5995000, 6.0},
        {"5.98 s is moved to 6 s", true, 5980000, 6 * kSecond, 6.0},
        {"inside the second trim", true, 7 * kSecond, 7 * kSecond, 6.0},
        {"past 8 s loops to 2 s", true, 8 * kSecond + 1, 2 * kSecond, 6.0},
        {"before the first trim goes to 2 s", true, kSecond, 2 * kSecond, 2.0},
        {"no preview: inside a cut is played", false, 5 * kSecond, 5 * kSecond, 6.0},
        {"no preview: the window's end is kept", false, 6 * kSecond, 6 * kSecond, 6.0},
        {"no preview: past the window restarts at its start", false, 6 * kSecond + 1, 0, 6.0},
    };
    for (const TickCase &row : cases) {
        SCOPED_TRACE(row.name);
        player.setIsPreview(row.preview);
        movie->setCurrentTime(row.movieTime);
        player.updatePlayerPlaySegment();
        EXPECT_EQ(movie->currentTime(), row.expectedMovieTime);
        ASSERT_TRUE(player.currentTrim());
        EXPECT_DOUBLE_EQ(player.currentTrim()->start(), row.expectedTrimStart);
    }
}

TEST_F(VideoEditPlayerTest, TheTimelineCountsFromTheWindowsStart)
{
    // A window of [1 s, 5 s]: trims count from its start, so [1 s, 2 s] is movie time 2 s to 3 s.
    VideoEditPlayer player;
    takeClip(player, 1 * kSecond, 5 * kSecond);
    clip->setTrimArray({MovieTrimItem::item(1.0, 1.0), MovieTrimItem::item(2.5, 1.0)});
    EXPECT_EQ(player.duration(), 4 * kSecond);

    player.seek(2 * kSecond);
    EXPECT_EQ(movie->currentTime(), 3 * kSecond);
    EXPECT_EQ(player.currentTime(), 2 * kSecond);

    const TickCase cases[] = {
        {"past the first trim's end jumps to the second's start",
         true,
         3 * kSecond + 100000,
         3 * kSecond + 500000,
         2.5},
        {"past the last trim's end loops to the first's start",
         true,
         4 * kSecond + 500001,
         2 * kSecond,
         2.5},
        {"no preview: past the window's end goes back to its start",
         false,
         5 * kSecond + 1,
         kSecond,
         2.5},
    };
    for (const TickCase &row : cases) {
        SCOPED_TRACE(row.name);
        player.setIsPreview(row.preview);
        movie->setCurrentTime(row.movieTime);
        player.updatePlayerPlaySegment();
        EXPECT_EQ(movie->currentTime(), row.expectedMovieTime);
        EXPECT_DOUBLE_EQ(player.currentTrim()->start(), row.expectedTrimStart);
    }
}

TEST_F(VideoEditPlayerTest, PlaybackInPreviewSkipsTheCutAndComesRoundAgain)
{
    VideoEditPlayer player;
    takeClip(player, 0, 6 * kSecond);
    clip->setTrimArray({MovieTrimItem::item(0.5, 0.5), MovieTrimItem::item(2.0, 0.5)});
    player.setIsPreview(true);
    player.seek(800000);
    player.play();
    ASSERT_TRUE(player.isPlay());
    // Into the second trim over the cut...
    ASSERT_TRUE(fixtures::spinUntil(
        [&] { return player.currentTrim() && player.currentTrim()->start() == 2.0; },
        kPlaybackTimeoutMs));
    EXPECT_GE(player.currentTime(), 2 * kSecond - VideoEditPlayer::kTrimLeadUs);
    // ...and from its end back to the first.
    ASSERT_TRUE(fixtures::spinUntil(
        [&] {
            return player.currentTrim() && player.currentTrim()->start() == 0.5
                   && player.currentTime() < kSecond;
        },
        kPlaybackTimeoutMs));
    EXPECT_TRUE(player.isPlay());
    player.pause();
}

} // namespace
