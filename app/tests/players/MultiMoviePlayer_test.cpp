// The back-to-back player: where a timeline time lands, what happens past the end, the pieces of
// trimmed clips, and real playback carried from one clip into the next and round the loop.

#include "app/AppExtention/Convert/MainMoviePlayer.h"
#include "app/AppExtention/Convert/MultiMoviePlayer.h"
#include "support/PlayerClips.h"

#include <gtest/gtest.h>

using namespace players_testing;

namespace {

using MultiMoviePlayerTest = PlayerClipTest;

struct SeekCase
{
    const char *name;
    int64_t time;
    int expectedPiece;       // index into the player's movies
    int64_t expectedMovieAt; // the piece's movie time
    int64_t expectedOffset;
};

void checkSeeks(MultiMoviePlayer &player, const std::vector<SeekCase> &cases)
{
    for (const SeekCase &row : cases) {
        SCOPED_TRACE(row.name);
        player.seek(row.time);
        ASSERT_TRUE(player.vcMovie());
        EXPECT_EQ(player.vcMovie(), player.movies().at(row.expectedPiece));
        EXPECT_EQ(player.vcMovie()->movie()->currentTime(), row.expectedMovieAt);
        EXPECT_EQ(player.movieTimeOffset(), row.expectedOffset);
    }
}

TEST_F(MultiMoviePlayerTest, ASeekLandsInThePieceThatHoldsTheTimeAndTheEarlierOneWinsAtABoundary)
{
    MultiMoviePlayer player;
    player.playMovies({clip(4), clip(6)});
    ASSERT_EQ(player.movies().size(), 2);
    EXPECT_EQ(player.duration(), 10 * kSecond);
    checkSeeks(player,
               {
                   {"0 is the first clip's start", 0, 0, 0, 0},
                   {"inside the first clip", 2 * kSecond, 0, 2 * kSecond, 0},
                   {"4 s stays at the end of the first clip", 4 * kSecond, 0, 4 * kSecond, 0},
                   {"1 us past 4 s is 1 us into the second", 4 * kSecond + 1, 1, 1, 4 * kSecond},
                   {"back into the first clip", 3 * kSecond, 0, 3 * kSecond, 0},
                   {"the very end is the second's end", 10 * kSecond, 1, 6 * kSecond, 4 * kSecond},
                   {"past the end restarts at 0", 10 * kSecond + 1, 0, 0, 0},
               });
    // The timeline time reads back from the piece.
    player.seek(7 * kSecond);
    EXPECT_EQ(player.currentTime(), 7 * kSecond);
}

TEST_F(MultiMoviePlayerTest, TrimmedClipsAreEnteredAtTheirTrimStart)
{
    // Windows [1 s, 3 s] and [2 s, 5 s]: a timeline of 2 s + 3 s.
    MultiMoviePlayer player;
    player.playMovies({clip(4, 1.0, 3.0), clip(6, 2.0, 5.0)});
    ASSERT_EQ(player.movies().size(), 2);
    EXPECT_EQ(player.duration(), 5 * kSecond);
    checkSeeks(player,
               {
                   {"0 is the first window's start", 0, 0, 1 * kSecond, 0},
                   {"2 s is the first window's end", 2 * kSecond, 0, 3 * kSecond, 0},
                   {"1 us later is 1 us after the second's trimStart",
                    2 * kSecond + 1,
                    1,
                    2 * kSecond + 1,
                    2 * kSecond},
                   {"the end of the second window", 5 * kSecond, 1, 5 * kSecond, 2 * kSecond},
                   {"past the end restarts at the first window's start",
                    5 * kSecond + 1,
                    0,
                    1 * kSecond,
                    0},
               });
    player.seek(3 * kSecond);
    EXPECT_EQ(player.currentTime(), 3 * kSecond);
}

TEST_F(MultiMoviePlayerTest, ASeekOnAnEmptyListDoesNothing)
{
    MultiMoviePlayer player;
    player.playMovies({});
    EXPECT_EQ(player.duration(), 0);
    player.seek(kSecond);
    EXPECT_FALSE(player.vcMovie());
    EXPECT_EQ(player.currentTime(), 0);
    player.play();
    EXPECT_FALSE(player.isPlay());
}

TEST_F(MultiMoviePlayerTest, AClipWithKeptSegmentsPlaysAsOnePiecePerSegment)
{
    VCMovieRef edited = clip(6);
    edited->setTrimArray({MovieTrimItem::item(0.5, 1.0), MovieTrimItem::item(3.0, 2.0)});
    MultiMoviePlayer player;
    player.playMovies({clip(4), edited});
    ASSERT_EQ(player.movies().size(), 3);
    EXPECT_EQ(player.duration(), 7 * kSecond);
    // The pieces share the edited clip's engine movie.
    EXPECT_EQ(player.movies().at(1)->movie(), edited->movie());
    EXPECT_EQ(player.movies().at(2)->movie(), edited->movie());
    checkSeeks(
        player,
        {
            {"into the first kept segment", 4 * kSecond + kSecond / 2, 1, kSecond, 4 * kSecond},
            {"into the second kept segment",
             5 * kSecond + kSecond / 2,
             2,
             3 * kSecond + kSecond / 2,
             5 * kSecond},
        });
}

TEST_F(MultiMoviePlayerTest, ShowsAThumbnailOnlyForASingleClipWithoutPicture)
{
    VCMovieRef sound = audioOnlyClip();
    opened.append(sound);
    struct Row
    {
        const char *name;
        VCMovieList clips;
        bool expected;
    };
    const Row rows[] = {
        {"two clips with pictures", {clip(4), clip(6)}, false},
        {"two clips, one without picture", {clip(4), sound}, false},
        {"one clip with a picture", {clip(4)}, false},
        {"one clip without picture", {sound}, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MultiMoviePlayer player;
        player.playMovies(row.clips);
        player.seek(0);
        EXPECT_EQ(player.showThumbnail(), row.expected);
    }
}

TEST_F(MultiMoviePlayerTest, ClearingReturnsTheSamePlayerToIdle)
{
    MultiMoviePlayer player;
    player.playMovies({clip(4), clip(6)});
    player.seek(5 * kSecond);
    player.clearPlayer();
    EXPECT_TRUE(player.movies().isEmpty());
    EXPECT_FALSE(player.vcMovie());
    EXPECT_EQ(player.duration(), 0);
    player.seek(0);
    EXPECT_FALSE(player.vcMovie());
}

TEST_F(MultiMoviePlayerTest, PlaybackInPreviewCarriesOnIntoTheNextClip)
{
    VCMovieRef first = clip(4);
    VCMovieRef second = clip(6);
    MultiMoviePlayer player;
    player.setIsPreview(true);
    player.playMovies({first, second});
    player.seek(3 * kSecond + 700000);
    player.play();
    ASSERT_TRUE(player.isPlay());
    ASSERT_TRUE(fixtures::spinUntil(
        [&] {
            return player.vcMovie() && player.vcMovie()->movie() == second->movie()
                   && player.currentTime() > 4 * kSecond + 200000;
        },
        kPlaybackTimeoutMs));
    // The second clip took over the playing state; the first was paused on the way.
    EXPECT_TRUE(player.isPlay());
    EXPECT_FALSE(first->movie()->isPlay());
    EXPECT_EQ(player.movieTimeOffset(), 4 * kSecond);
    EXPECT_LT(player.currentTime(), 6 * kSecond);
    player.pause();
}

TEST_F(MultiMoviePlayerTest, PlaybackInPreviewLoopsFromTheLastClipToTheFirst)
{
    VCMovieRef first = clip(4, 0.0, 1.0);
    VCMovieRef second = clip(6, 0.0, 0.5);
    MultiMoviePlayer player;
    player.setIsPreview(true);
    player.playMovies({first, second});
    player.seek(1 * kSecond + 300000);
    player.play();
    ASSERT_EQ(player.vcMovie()->movie(), second->movie());
    ASSERT_TRUE(fixtures::spinUntil(
        [&] { return player.vcMovie() && player.vcMovie()->movie() == first->movie(); },
        kPlaybackTimeoutMs));
    EXPECT_TRUE(player.isPlay());
    EXPECT_LT(player.currentTime(), kSecond);
    EXPECT_EQ(player.movieTimeOffset(), 0);
    player.pause();
}

TEST_F(MultiMoviePlayerTest, TheChapterEditorsPlayerIsIdleWhileAnEditWindowIsAttached)
{
    class AttachedPlayer : public MainMoviePlayer
    {
    public:
        bool isAttachedEditWindow() const override { return attached; }
        bool attached = false;
    };
    AttachedPlayer player;
    player.playMovies({clip(4)});
    player.seek(0);
    player.play();
    EXPECT_TRUE(player.isPlay());
    player.attached = true;
    EXPECT_FALSE(player.isPlay());
    // The movie itself plays on; only the editor's view of it is idle.
    EXPECT_TRUE(player.vcMovie()->movie()->isPlay());
    player.attached = false;
    EXPECT_TRUE(player.isPlay());
    player.pause();

    MainMoviePlayer plain;
    EXPECT_FALSE(plain.isAttachedEditWindow());
}

} // namespace
