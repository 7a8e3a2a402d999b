// The simulated DVD player playing a production copy built from pages of the shipped templates, on
// the Qt event loop with SDL's silent audio driver: the warning, the first-play target, clicks,
// chapter steps, the return to the page a title was started from, the placeholder of a target
// with nothing to play, the end of a disc without menus, a page's music, and the production copy
// of an editing project.

#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/production/DVDMenuVideoClip.h"
#include "app/production/DVDPlayer.h"
#include "app/production/ProductionDiscModel.h"
#include "app/tests/support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/MenuFixtures.h"
#include "support/PlayerDisc.h"
#include "testsupport/MediaFixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace player_testing;

constexpr int64_t kSecond = 1000000;
// Generous: the sanitizers and a busy machine slow decoding and the event loop down.
constexpr int kTimeoutMs = 30000;

class Environment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        app_testing::application();
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new Environment);

// Chapters of real clips: the first seconds of 4 s of testsrc2 with a tone, each a new movie.
VCMovieList testsrcClips(double seconds)
{
    const QString path = fixtures::MediaFixtures::shared().testsrc2SineMp4(4);
    VCMovieRef clip = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(path));
    EXPECT_TRUE(clip && clip->movie()) << path.toStdString();
    if (!clip)
        return {};
    clip->setTrimStart(0);
    clip->setTrimStop(int64_t(seconds * kSecond));
    return {clip};
}

class DVDPlayerTest : public ::testing::Test
{
protected:
    void start(const PlayerDisc &disc)
    {
        player.setIsPreview(true);
        player.clearPlayer();
        player.setDvd(disc.dvd);
        player.playDVDItem(nullptr);
    }
    void TearDown() override
    {
        player.pause();
        player.clearPlayer();
        app_testing::drainEvents();
    }
    bool playsUntil(const std::function<bool()> &done)
    {
        return app_testing::runUntil(done, kTimeoutMs);
    }
    // The page video the player plays now, or null.
    DVDMenuRef pageOnScreen() const
    {
        const auto clip = std::dynamic_pointer_cast<Discwright::DVDMenuVideoClip>(player.vcMovie());
        return clip && clip->menuVideo() ? clip->menuVideo()->menu() : nullptr;
    }

    DVDPlayer player;
};

TEST_F(DVDPlayerTest, WarningFirstThenTheFirstMenuAndNotAgainUntilCleared)
{
    DiscOptions options;
    options.warningSeconds = 1.0;
    const PlayerDisc disc = makePlayerDisc(options, testsrcClips);
    start(disc);
    EXPECT_EQ(player.current_play(), chapterOf(disc.warning, 0));
    EXPECT_TRUE(player.isPlay());
    ASSERT_EQ(player.movies().size(), 1);
    EXPECT_EQ(player.duration(), 1 * kSecond);

    ASSERT_TRUE(playsUntil([&] { return player.current_play() == disc.main; }))
        << "the warning's end starts the disc over at its first menu";
    EXPECT_TRUE(player.play_warn_video());
    EXPECT_EQ(pageOnScreen(), disc.main);
    EXPECT_TRUE(player.isPlay());
    EXPECT_TRUE(playsUntil([&] { return !player.currentFrameImage().isNull(); }))
        << "the page's picture is shown";

    player.playMenu();
    EXPECT_EQ(player.current_play(), disc.main);
    player.playDVDItem(nullptr);
    EXPECT_EQ(player.current_play(), disc.main) << "the warning is not played again";

    player.clearPlayer();
    EXPECT_EQ(player.dvd(), nullptr);
    EXPECT_TRUE(player.movies().isEmpty());
    player.setDvd(disc.dvd);
    player.playDVDItem(nullptr);
    EXPECT_EQ(player.current_play(), chapterOf(disc.warning, 0)) << "after clearPlayer it is";
}

TEST_F(DVDPlayerTest, AClickPlaysTheButtonsTitleAndItsEndReturnsToThePageItWasStartedFrom)
{
    DiscOptions options;
    options.warning = false;
    options.titleSeconds = {{10.0, 10.0, 10.0}, {5.0}, {1.0}};
    const PlayerDisc disc = makePlayerDisc(options, testsrcClips);
    start(disc);
    ASSERT_EQ(player.current_play(), disc.main);

    const QSizeF page = disc.main->menuSize();
    const auto centre = [&](const DVDMenuItemRef &item) {
        const QPointF c = item->frame().center();
        return QPointF(c.x() / page.width(), c.y() / page.height());
    };
    player.clickPoint(centre(disc.mainSlots[2]));
    ASSERT_EQ(player.current_play(), disc.sub) << "the slot leads to its sub-page";
    EXPECT_EQ(pageOnScreen(), disc.sub);

    player.clickPoint(centre(disc.subSlots[0]));
    ASSERT_EQ(player.current_play(), chapterOf(disc.titles[2], 0));
    EXPECT_EQ(player.currentPlayTitle(), disc.titles[2]);
    EXPECT_EQ(player.duration(), 1 * kSecond);
    EXPECT_TRUE(player.isPlay());

    ASSERT_TRUE(playsUntil([&] { return player.current_play() != chapterOf(disc.titles[2], 0); }));
    EXPECT_EQ(player.current_play(), disc.sub)
        << "as the disc's return command does, the title returns to the page last shown";
    EXPECT_EQ(pageOnScreen(), disc.sub);
}

TEST_F(DVDPlayerTest, ChapterStepsPlayTheWholeTitleFromTheChapter)
{
    PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    start(disc);
    player.playDVDItem(disc.mainSlots[0]);
    ASSERT_EQ(player.current_play(), chapterOf(disc.titles[0], 0));
    EXPECT_EQ(player.movies().size(), 3);
    EXPECT_FALSE(player.canPlayPrevious());
    player.playPrevious();
    EXPECT_EQ(player.current_play(), chapterOf(disc.titles[0], 0))
        << "nothing before the first chapter";
    EXPECT_LT(player.currentTime(), 10 * kSecond);

    player.seek(12 * kSecond);
    EXPECT_TRUE(player.canPlayNext());
    player.playNext();
    EXPECT_EQ(player.current_play(), chapterOf(disc.titles[0], 2));
    EXPECT_EQ(player.movies().size(), 3) << "the clips of the whole title";
    EXPECT_GE(player.currentTime(), 20 * kSecond);
    EXPECT_LT(player.currentTime(), 21 * kSecond);
    EXPECT_FALSE(player.canPlayNext());

    player.playPrevious();
    EXPECT_EQ(player.current_play(), chapterOf(disc.titles[0], 1));
    EXPECT_GE(player.currentTime(), 10 * kSecond);
    EXPECT_LT(player.currentTime(), 11 * kSecond);
    EXPECT_EQ(player.lastMenu(), disc.main) << "chapter steps keep the page to return to";
}

TEST_F(DVDPlayerTest, ATargetWithNothingToPlayIsAOneSecondPlaceholderThenTheFirstPlayTarget)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    start(disc);
    ASSERT_EQ(disc.mainSlots[3]->jump(), nullptr);
    player.playDVDItem(disc.mainSlots[3]);
    EXPECT_EQ(player.current_play(), nullptr);
    ASSERT_EQ(player.movies().size(), 1);
    EXPECT_EQ(player.duration(), DVDPlayer::kPlaceholderUs);
    EXPECT_TRUE(playsUntil([&] { return player.current_play() == disc.main; }));
}

TEST_F(DVDPlayerTest, WithoutMenusTheWarningPlaysOnceThenTheFirstTitle)
{
    DiscOptions options;
    options.noMenu = true;
    options.warningSeconds = 1.0;
    options.titleSeconds = {{1.0}, {5.0}, {8.0}};
    const PlayerDisc disc = makePlayerDisc(options, testsrcClips);
    start(disc);
    EXPECT_FALSE(player.canPlayMenu());
    EXPECT_EQ(player.current_play(), chapterOf(disc.warning, 0));
    ASSERT_TRUE(playsUntil([&] { return player.current_play() != chapterOf(disc.warning, 0); }));
    EXPECT_EQ(player.current_play(), chapterOf(disc.titles[0], 0));
    EXPECT_TRUE(player.play_warn_video());

    ASSERT_TRUE(playsUntil([&] { return player.current_play() != chapterOf(disc.titles[0], 0); }));
    EXPECT_EQ(player.current_play(), chapterOf(disc.titles[1], 0)) << "the titles follow";

    player.playMenu();
    EXPECT_EQ(player.current_play(), chapterOf(disc.titles[0], 0))
        << "the menu button of a disc without menus plays the first title";
}

TEST_F(DVDPlayerTest, NothingAfterTheLastTitlePausesAtTheEnd)
{
    DiscOptions options;
    options.warning = false;
    options.titleSeconds = {{5.0}, {5.0}, {1.0}};
    PlayerDisc disc = makePlayerDisc(options, testsrcClips);
    disc.dvd->setMenus({});
    start(disc);
    player.playDVDItem(chapterOf(disc.titles[2], 0));
    ASSERT_TRUE(player.isPlay());
    ASSERT_TRUE(playsUntil([&] { return player.isStoppedAtEnd(); }));
    EXPECT_FALSE(player.isPlay());

    player.playDVDItem(chapterOf(disc.titles[0], 0));
    EXPECT_FALSE(player.isStoppedAtEnd());
    EXPECT_TRUE(player.isPlay());
}

TEST_F(DVDPlayerTest, TheHighlightFollowsTheMouseOverThePlayingPage)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    start(disc);
    EXPECT_TRUE(player.getDVDHighlightImage().isNull());
    const QRectF frame = disc.mainSlots[0]->frame();
    const QSizeF page = disc.main->menuSize();
    player.moveAtPoint(
        QPointF(frame.center().x() / page.width(), frame.center().y() / page.height()));
    EXPECT_EQ(player.dvd_highlight_rect(), frame);
    EXPECT_FALSE(player.getDVDHighlightImage().isNull());
    player.moveAtPoint(QPointF(0.01, 0.99));
    EXPECT_EQ(player.dvd_highlight_rect(), frame);

    player.playDVDItem(disc.mainSlots[0]);
    EXPECT_TRUE(player.getDVDHighlightImage().isNull()) << "a title shows no highlight";
}

// The player passes its ticks to the page, which keeps its looping music under the page clock.
// SDL's silent driver opens one output at a time, so the music cannot sound beside the page clock
// here; its position still follows the page, which is what the ticks keep in step.
TEST_F(DVDPlayerTest, APlayingPageKeepsItsMusicInStep)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    const auto music = MediaData::mediaDataWithPath(app_testing::sineMusic(1.0));
    ASSERT_TRUE(music && music->movie() && music->movie()->movie());
    disc.main->setMusic(music);
    const auto sound = music->movie()->movie();
    const int64_t length = music->movie()->trimDuration();
    ASSERT_GT(length, 900000);

    start(disc);
    ASSERT_EQ(player.current_play(), disc.main);
    ASSERT_TRUE(playsUntil([&] { return player.currentTime() > length * 5 / 2; }))
        << "the page clock runs";
    const int64_t page = player.currentTime();
    const int64_t drift
        = std::abs(sound->currentTime() - music->movie()->trimStart() - page % length);
    EXPECT_LT(std::min(drift, length - drift), 300000)
        << "the music has looped with the page: page " << page << ", music "
        << sound->currentTime();
}

// The preview's own way: the production copy of an editing project (pages of the shipped template,
// titles of real clips, a warning video) made by getDVDObj, played from the start.
TEST_F(DVDPlayerTest, ThePreviewPlaysTheProductionCopyOfAnEditingProject)
{
    app_testing::ScopedMainWindow window;
    auto &clips = app_testing::ClipFixtures::shared();
    const auto clipOf = [](const QString &path) {
        auto media = MediaData::mediaDataWithPath(path);
        EXPECT_TRUE(media && media->movie()) << path.toStdString();
        return media;
    };
    const auto titleOf = [](const MediaDataRef &media) {
        auto title = std::make_shared<DVDTitleData>();
        title->setMediaArray({media});
        media->setSuperData(title);
        return title;
    };
    // A: 20 s in chapters at 0, 7 and 14 s; B: 2 s; the warning: 1 s.
    const auto a = titleOf(clipOf(clips.chaptered20s()));
    const auto b = titleOf(clipOf(clips.colour(QStringLiteral("red"), 2)));
    const auto warning = clipOf(clips.colour(QStringLiteral("blue"), 1));
    ASSERT_TRUE(a->mediaArray().first()->movie() && b->mediaArray().first()->movie()
                && warning->movie());

    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(0);
    ASSERT_TRUE(shipped);
    const DVDMenuRef page = shipped->copyMenu();
    const DVDMenuItemList titleSlots = DVDMenuExtention::titleItems(*page);
    ASSERT_GE(titleSlots.size(), 2);
    titleSlots[0]->setJump(a);
    titleSlots[1]->setJump(b);
    auto editing = std::make_shared<DVDLibrary>();
    editing->setTitles({a, b});
    editing->setMenus({page});
    editing->updateDVDMenu();
    window->setDvd(editing);
    window->tempDvdData()->setDvdHasWarningMedia(true);
    window->tempDvdData()->setDvdWarningMedia(warning);

    const DVDLibraryRef disc = Discwright::ProductionDiscModel::getDVDObj(*window);
    ASSERT_TRUE(disc);
    player.setIsPreview(true);
    player.clearPlayer();
    player.setDvd(disc);
    player.playDVDItem(nullptr);
    ASSERT_TRUE(player.getWarnDVDTitle());
    EXPECT_EQ(player.currentPlayTitle(), player.getWarnDVDTitle());
    // The production disc is a copy, so its page is the copy of the editing page.
    ASSERT_EQ(disc->menus().size(), 1);
    const DVDMenuRef shown = disc->menus().first();
    EXPECT_NE(shown, page);
    ASSERT_TRUE(playsUntil([&] { return player.current_play() == shown; }));

    const QSizeF size = page->menuSize();
    const auto centre = [&](const DVDMenuItemRef &item) {
        const QPointF c = item->frame().center();
        return QPointF(c.x() / size.width(), c.y() / size.height());
    };
    player.clickPoint(centre(titleSlots[1]));
    const ObjectRef titleB = player.currentPlayTitle();
    ASSERT_TRUE(titleB) << "the button leads to the production chapter of its title";
    EXPECT_EQ(player.duration(), b->mediaArray().first()->movie()->trimDuration());
    ASSERT_TRUE(playsUntil([&] { return player.current_play() == shown; }))
        << "the title's end returns to the page";

    player.clickPoint(centre(titleSlots[0]));
    ASSERT_EQ(chaptersOf(player.currentPlayTitle()).size(), 3);
    player.seek(8 * kSecond);
    player.playNext();
    EXPECT_EQ(player.current_play(), chapterOf(player.currentPlayTitle(), 2));
    EXPECT_GE(player.currentTime(), 14 * kSecond);
    EXPECT_LT(player.currentTime(), 15 * kSecond);

    // The authored disc follows the same rules: the buttons lead to the chapters, the titles
    // return to the page last shown.
    const QString author = disc->authorContent();
    EXPECT_TRUE(author.contains("g4=0;jump title 1 chapter 1;")) << author.toStdString();
    EXPECT_TRUE(author.contains("g4=0;jump title 2 chapter 1;"));
    EXPECT_TRUE(author.contains("<post>g4=0;g2=1;call menu entry root;</post>"));
}

} // namespace
