// The clip player: what it shows, that letting go of a clip it plays pauses it, and that a clip
// which is its own decoder (a menu page video) plays through that decoder, also back to back with
// ordinary clips.

#include "Reelsmith/imaging/Renderer.h"
#include "Reelsmith/player/LMMoviePlayerDelegate.h"
#include "app/AppExtention/Convert/ClipDecoder.h"
#include "app/AppExtention/Convert/MoviePlayer.h"
#include "app/AppExtention/Convert/MultiMoviePlayer.h"
#include "support/PlayerClips.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace players_testing;
using Reelsmith::imaging::Image;

namespace {

class CountingDelegate : public LMMoviePlayerDelegate
{
public:
    void imageDidFlushInPlayer(LMMoviePlayer *) override { ++flushes; }
    int flushes = 0;
};

// A clip without a media file that draws its own picture, a plain colour, and keeps its own clock
// (advancing in real time while it plays): the part of a menu page video the players rely on.
class SelfDecodingClip : public VCMovie, public ClipDecoder
{
public:
    SelfDecodingClip(int64_t length, QColor colour)
        : m_length(length)
        , m_colour(colour)
    {
        setTrimStart(0);
        setTrimStop(length);
    }

    int64_t currentTime() const override
    {
        return m_playing ? m_at + m_clock.nsecsElapsed() / 1000 : m_at;
    }
    void setCurrentTime(int64_t t) override
    {
        m_at = t;
        m_clock.restart();
    }
    int64_t duration() const override { return m_length; }
    void play() override
    {
        m_clock.restart();
        m_playing = true;
        ++plays;
    }
    void pause() override
    {
        m_at = currentTime();
        m_playing = false;
        ++pauses;
    }
    bool isPlay() const override { return m_playing; }
    void setPlayVolume(float volume) override { lastVolume = volume; }
    bool hasVideo() const override { return true; }
    bool hasAudio() const override { return true; }
    void decodeCurrentImageWithAction(const FrameAction &action) override
    {
        ++frames;
        action(Image::constantColor(m_colour).cropped(QRectF(0, 0, 64, 48)));
    }
    void updatePlayerPlaySegment() override { ++ticks; }

    int plays = 0;
    int pauses = 0;
    int frames = 0;
    int ticks = 0;
    float lastVolume = -1.0f;

private:
    int64_t m_length;
    QColor m_colour;
    int64_t m_at = 0;
    bool m_playing = false;
    QElapsedTimer m_clock;
};

// A player that counts the ticks of its own timer, so that a test waits for ticks that really
// happened rather than for a stretch of time it hopes holds a few.
template <class Player> class TickCounting : public Player
{
public:
    void timerUpdateImageMethod() override
    {
        ++ticks;
        Player::timerUpdateImageMethod();
    }
    // Runs the event loop for n more ticks, then until what they posted has been delivered.
    bool letTicksPass(int n)
    {
        const int until = ticks + n;
        return fixtures::spinUntil([&] { return ticks >= until; }, kPlaybackTimeoutMs)
               && fixtures::spinUntilPostedCallsHaveRun(kPlaybackTimeoutMs);
    }
    int ticks = 0;
};

QColor centreColour(const Image &image)
{
    const QImage pixels = Reelsmith::imaging::renderToImage(image, QRect(0, 0, 64, 48));
    return pixels.isNull() ? QColor() : pixels.pixelColor(32, 24);
}

using MoviePlayerTest = PlayerClipTest;

TEST_F(MoviePlayerTest, ShowsTheClipsFrameWithItsEditsAfterASeek)
{
    const VCMovieRef movie = clip(4);
    CountingDelegate delegate;
    MoviePlayer player;
    player.setDelegate(&delegate);
    player.setVcMovie(movie);
    EXPECT_EQ(player.vcMovie(), movie);
    EXPECT_EQ(player.ffmovie(), movie->movie());
    EXPECT_TRUE(player.currentFrameImage().isNull());
    player.seek(2 * kSecond);
    EXPECT_EQ(movie->movie()->currentTime(), 2 * kSecond);
    ASSERT_TRUE(fixtures::spinUntil(
        [&] { return !player.currentFrameImage().isNull() && delegate.flushes > 0; },
        kPlaybackTimeoutMs));
    const auto extent = player.currentFrameImage().extent();
    EXPECT_EQ(QSizeF(extent.width(), extent.height()), movie->videoOutputSize());
    EXPECT_GT(delegate.flushes, 0);
    player.setDelegate(nullptr);
}

// A clip's engine movie is shared with the clip's other pieces and the clip itself: a player that
// let go of it while it played left it sounding, with nothing left to pause it.
TEST_F(MoviePlayerTest, LettingGoOfAPlayingClipPausesIt)
{
    const VCMovieRef source = clip(4);
    {
        SCOPED_TRACE("clearPlayer");
        MultiMoviePlayer player;
        player.playMovies({source});
        player.seek(0);
        player.play();
        ASSERT_TRUE(source->movie()->isPlay());
        player.clearPlayer();
        EXPECT_FALSE(source->movie()->isPlay());
    }
    {
        SCOPED_TRACE("the player goes");
        auto player = std::make_unique<MoviePlayer>();
        player->setVcMovie(source->validVCMovies().first());
        player->play();
        ASSERT_TRUE(source->movie()->isPlay());
        player.reset();
        EXPECT_FALSE(source->movie()->isPlay());
    }
    {
        SCOPED_TRACE("a player that no longer plays it leaves it to the one that does");
        const VCMovieRef piece = source->validVCMovies().first();
        MoviePlayer first;
        MoviePlayer second;
        first.setVcMovie(piece);
        second.setVcMovie(piece);
        first.play();
        second.play();
        ASSERT_FALSE(first.isPlay());
        first.clearPlayer();
        EXPECT_TRUE(second.isPlay());
        second.pause();
    }
}

TEST_F(MoviePlayerTest, AClipThatIsItsOwnDecoderPlaysThroughIt)
{
    const auto page = std::make_shared<SelfDecodingClip>(2 * kSecond, Qt::red);
    CountingDelegate delegate;
    TickCounting<MultiMoviePlayer> player;
    player.setDelegate(&delegate);
    player.setIsPreview(true);
    player.playMovies({page});
    // It stands for itself: it is not cut into pieces over an engine movie.
    ASSERT_EQ(player.movies().size(), 1);
    EXPECT_EQ(player.movies().first(), page);
    EXPECT_EQ(player.clipDecoder().get(), nullptr) << "nothing is current before a seek";
    EXPECT_EQ(player.duration(), 2 * kSecond);

    player.seek(kSecond);
    EXPECT_EQ(player.clipDecoder().get(), static_cast<ClipDecoder *>(page.get()));
    EXPECT_EQ(page->currentTime(), kSecond);
    EXPECT_EQ(player.currentTime(), kSecond);
    EXPECT_FALSE(player.showThumbnail()) << "the page has a picture";
    // Paused, the frame is drawn once after the seek, not on every tick.
    ASSERT_TRUE(fixtures::spinUntil([&] { return page->frames > 0; }, 5000));
    ASSERT_TRUE(player.letTicksPass(6));
    EXPECT_EQ(page->frames, 1);
    EXPECT_EQ(centreColour(player.currentFrameImage()), QColor(Qt::red));
    EXPECT_EQ(delegate.flushes, 1);

    player.play();
    EXPECT_EQ(page->plays, 1);
    EXPECT_TRUE(player.isPlay());
    // Playing, every tick draws and sets the gain.
    ASSERT_TRUE(fixtures::spinUntil([&] { return page->frames >= 4; }, 5000));
    EXPECT_FLOAT_EQ(page->lastVolume, 1.0f);
    player.pause();
    EXPECT_EQ(page->pauses, 1);
    EXPECT_FALSE(player.isPlay());
    player.setDelegate(nullptr);
}

TEST_F(MoviePlayerTest, APageVideoAndAClipPlayBackToBack)
{
    const auto page = std::make_shared<SelfDecodingClip>(kSecond / 2, Qt::blue);
    const VCMovieRef title = clip(4, 1.0, 3.0);
    MultiMoviePlayer player;
    player.setIsPreview(true);
    player.playMovies({page, title});
    EXPECT_EQ(player.duration(), kSecond / 2 + 2 * kSecond);
    player.seek(kSecond / 4);
    player.play();
    ASSERT_TRUE(player.isPlay());
    // The end of the page's window carries playback into the clip, at its trimStart.
    ASSERT_TRUE(fixtures::spinUntil(
        [&] { return player.vcMovie() && player.vcMovie()->movie() == title->movie(); },
        kPlaybackTimeoutMs));
    EXPECT_FALSE(page->isPlay());
    EXPECT_TRUE(title->movie()->isPlay());
    EXPECT_EQ(player.clipDecoder(), nullptr);
    EXPECT_GE(title->movie()->currentTime(), kSecond);
    EXPECT_LT(title->movie()->currentTime(), 2 * kSecond);
    player.pause();

    // And a seek back lands on the page again, which takes over the playing state.
    player.play();
    player.seek(0);
    EXPECT_EQ(player.vcMovie(), page);
    EXPECT_TRUE(page->isPlay());
    EXPECT_FALSE(title->movie()->isPlay());
    player.pause();
}

TEST_F(MoviePlayerTest, FlushingThePictureWhilePausedFetchesOneFrame)
{
    const auto page = std::make_shared<SelfDecodingClip>(kSecond, Qt::green);
    TickCounting<MoviePlayer> player;
    player.setVcMovie(page);
    ASSERT_TRUE(fixtures::spinUntil([&] { return page->frames == 1; }, 5000));
    player.flushPlayImage();
    ASSERT_TRUE(fixtures::spinUntil([&] { return page->frames == 2; }, 5000));
    ASSERT_TRUE(player.letTicksPass(4));
    EXPECT_EQ(page->frames, 2);
    // While playing it leaves the playback alone.
    player.play();
    player.flushPlayImage();
    EXPECT_TRUE(player.isPlay());
    player.stop();
    EXPECT_FALSE(player.isPlay());
}

} // namespace
