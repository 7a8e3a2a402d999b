// The music player: the gain of the fades, where a timeline time lands, the end of the timeline
// (the movie that played is paused), real playback from one clip into the next, and its loop
// asked for from another thread.

#include "app/AppExtention/Convert/AudioPlayer.h"
#include "support/PlayerClips.h"

#include <gtest/gtest.h>
#include <thread>

using namespace players_testing;

namespace {

using AudioPlayerTest = PlayerClipTest;

struct VolumeCase
{
    const char *name;
    double windowStart;
    double fadeIn;
    double fadeOut;
    double at; // seconds into the clip
    float expected;
};

TEST_F(AudioPlayerTest, TheGainFollowsTheFadesAndTheFadeInWinsWhereBothApply)
{
    const VolumeCase cases[] = {
        {"no fades", 0.0, 0.0, 0.0, 1.5, 1.0f},
        {"0.5 s into a 2 s fade-in: a quarter", 0.0, 2.0, 2.0, 0.5, 0.25f},
        {"2 s into 3 s: 1 s left of a 2 s fade-out", 0.0, 2.0, 2.0, 2.0, 0.5f},
        {"1 s with a 2.5 s fade-out: both apply, the fade-in's 0.5", 0.0, 2.0, 2.5, 1.0, 0.5f},
        {"2.75 s with a 2.5 s fade-out: 0.25 s left", 0.0, 2.0, 2.5, 2.75, 0.1f},
        {"the clip's start is silent", 0.0, 2.0, 0.0, 0.0, 0.0f},
        {"fades count from a window that starts at 1 s", 1.0, 2.0, 0.0, 1.0, 0.5f},
    };
    for (const VolumeCase &row : cases) {
        SCOPED_TRACE(row.name);
        VCMovieRef music = clip(4, row.windowStart, row.windowStart + 3.0);
        music->setFadeIn(int64_t(row.fadeIn * kSecond));
        music->setFadeOut(int64_t(row.fadeOut * kSecond));
        AudioPlayer player;
        player.updatePlayMovies({music});
        player.seek(int64_t(row.at * kSecond));
        ASSERT_EQ(player.cur_movie(), music);
        music->movie()->setPlayVolume(0.123f);
        player.updatePlayMovieVolume();
        EXPECT_NEAR(music->movie()->playVolume(), row.expected, 1e-5);
    }
}

TEST_F(AudioPlayerTest, AnEmptyListPlaysOneSilentMovie)
{
    AudioPlayer player;
    player.updatePlayMovies({});
    ASSERT_EQ(player.play_movies().size(), 1);
    const VCMovieRef silent = player.play_movies().first();
    EXPECT_EQ(silent->trimDuration(), VCMovie::kEmptyMovieDurationUs);
    EXPECT_FALSE(silent->hasAudio());
    // Nothing is current before the first seek.
    EXPECT_FALSE(player.cur_movie());
    EXPECT_FALSE(player.isPlay());
    player.seekPlayTime(1.5);
    EXPECT_EQ(player.cur_movie(), silent);
    EXPECT_DOUBLE_EQ(player.playTime(), 1.5);
}

struct SeekCase
{
    const char *name;
    int64_t time;
    int expectedClip; // -1: nothing current
    int64_t expectedMovieAt;
    int64_t expectedOffset;
};

TEST_F(AudioPlayerTest, ASeekLandsInTheClipThatHoldsTheTimeAndTheLaterOneWinsAtABoundary)
{
    // Windows [1 s, 4 s] and [0 s, 6 s]: 3 s + 6 s.
    const VCMovieList clips = {clip(4, 1.0, 4.0), clip(6)};
    AudioPlayer player;
    player.updatePlayMovies(clips);
    const SeekCase cases[] = {
        {"0 is the first window's start", 0, 0, kSecond, 0},
        {"just before 3 s is the first", 3 * kSecond - 1, 0, 4 * kSecond - 1, 0},
        {"3 s is the second's start", 3 * kSecond, 1, 0, 3 * kSecond},
        {"inside the second", 5 * kSecond, 1, 2 * kSecond, 3 * kSecond},
        {"the total: nothing", 9 * kSecond, -1, 0, 0},
        {"back to the first", kSecond, 0, 2 * kSecond, 0},
        {"past the total: nothing", 20 * kSecond, -1, 0, 0},
    };
    for (const SeekCase &row : cases) {
        SCOPED_TRACE(row.name);
        player.seek(row.time);
        if (row.expectedClip < 0) {
            EXPECT_FALSE(player.cur_movie());
            continue;
        }
        ASSERT_EQ(player.cur_movie(), clips.at(row.expectedClip));
        EXPECT_EQ(player.cur_movie()->movie()->currentTime(), row.expectedMovieAt);
        EXPECT_EQ(player.cur_movie_offset_time(), row.expectedOffset);
        EXPECT_EQ(player.currentTime(), row.time);
    }
}

// A seek at or past the total let go of the clip while its movie played on, and nothing could
// pause it any more.
TEST_F(AudioPlayerTest, ASeekPastTheTotalPausesTheMovieThatPlayed)
{
    for (const int64_t end : {5 * kSecond, 5 * kSecond + 1, 60 * kSecond}) {
        SCOPED_TRACE(end);
        const VCMovieRef music = clip(4, 0.0, 2.0);
        const VCMovieRef second = clip(6, 0.0, 3.0);
        AudioPlayer player;
        player.updatePlayMovies({music, second});
        player.seek(kSecond);
        player.play();
        ASSERT_TRUE(player.isPlay());
        ASSERT_TRUE(music->movie()->isPlay());
        player.seek(end);
        EXPECT_FALSE(player.cur_movie());
        EXPECT_FALSE(player.isPlay());
        EXPECT_FALSE(music->movie()->isPlay());
        EXPECT_FALSE(second->movie()->isPlay());
    }
}

TEST_F(AudioPlayerTest, PlaysIntoTheNextClipAndStopsAtTheEndOfTheLast)
{
    const VCMovieRef first = clip(4, 3.5, 4.0);
    const VCMovieRef second = clip(6, 1.0, 1.5);
    AudioPlayer player;
    player.updatePlayMovies({first, second});
    player.seek(200000);
    player.play();
    ASSERT_TRUE(player.isPlay());
    ASSERT_TRUE(
        fixtures::spinUntil([&] { return player.cur_movie() == second; }, kPlaybackTimeoutMs));
    EXPECT_TRUE(player.isPlay());
    EXPECT_FALSE(first->movie()->isPlay());
    EXPECT_EQ(player.cur_movie_offset_time(), 500000);
    EXPECT_GE(second->movie()->currentTime(), kSecond);
    ASSERT_TRUE(fixtures::spinUntil([&] { return !player.cur_movie(); }, kPlaybackTimeoutMs));
    EXPECT_FALSE(player.isPlay());
    EXPECT_FALSE(second->movie()->isPlay());
    EXPECT_FALSE(first->movie()->isPlay());
}

TEST_F(AudioPlayerTest, ALoopTurnAskedForOnAnotherThreadRunsOnTheMainThread)
{
    const VCMovieRef first = clip(4, 0.0, 1.0);
    const VCMovieRef second = clip(6, 0.0, 1.0);
    AudioPlayer player;
    player.updatePlayMovies({first, second});
    player.seek(0);
    // Past the first window's end: the next turn moves on to the second clip.
    first->movie()->setCurrentTime(kSecond + 100000);
    std::thread worker([&player] { player.updatePlayerPlayLoop(); });
    worker.join();
    EXPECT_EQ(player.cur_movie(), first) << "the turn ran off the main thread";
    ASSERT_TRUE(fixtures::spinUntil([&] { return player.cur_movie() == second; }, 5000));
    EXPECT_EQ(player.currentTime(), kSecond + 100000);
}

TEST_F(AudioPlayerTest, ClearingPausesAndForgetsTheClips)
{
    const VCMovieRef music = clip(4);
    AudioPlayer player;
    player.updatePlayMovies({music});
    player.seek(0);
    player.play();
    ASSERT_TRUE(music->movie()->isPlay());
    player.clearPlayer();
    EXPECT_FALSE(music->movie()->isPlay());
    EXPECT_FALSE(player.cur_movie());
    EXPECT_TRUE(player.play_movies().isEmpty());

    // A new list on the shared player starts from nothing as well.
    AudioPlayer &shared = AudioPlayer::share();
    EXPECT_EQ(&shared, &AudioPlayer::share());
    shared.updatePlayMovies({music});
    shared.seek(0);
    shared.play();
    ASSERT_TRUE(shared.isPlay());
    shared.updatePlayMovies({});
    EXPECT_FALSE(music->movie()->isPlay());
    EXPECT_FALSE(shared.cur_movie());
}

} // namespace
