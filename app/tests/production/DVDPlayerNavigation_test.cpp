// The simulated player's decisions on a production copy built from pages of the shipped templates:
// a main page with a sub-page, three titles and a warning title.

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDTitleVideo.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/production/DVDPlayerNavigation.h"
#include "app/tests/support/AppFakes.h"
#include "support/PlayerDisc.h"
#include "support/ProductionFixtures.h"

#include <gtest/gtest.h>

namespace {

using Discwright::DVDPlayerNavigation;
using namespace player_testing;

constexpr int64_t kSecond = 1000000;

const auto *const environment
    = ::testing::AddGlobalTestEnvironment(new production_fixtures::ShippedApplication);

DVDPlayerNavigation navigationFor(const PlayerDisc &disc)
{
    DVDPlayerNavigation navigation;
    navigation.setDvd(disc.dvd);
    return navigation;
}

// The centre of a frame as fractions of the page.
QPointF centreOf(const QRectF &frame, QSizeF page)
{
    return QPointF(frame.center().x() / page.width(), frame.center().y() / page.height());
}

TEST(DVDPlayerNavigation, TheDiscIsBuiltFromTheShippedTemplate)
{
    const PlayerDisc disc = makePlayerDisc();
    ASSERT_TRUE(disc.main) << "the shipped template library has no default page";
    EXPECT_EQ(disc.main->category(), "Cartoon");
    EXPECT_EQ(disc.sub->parent(), disc.mainSlots[2]);
    EXPECT_EQ(disc.mainSlots[2]->jump(), disc.sub) << "a slot with a sub-page leads to it";
}

TEST(DVDPlayerNavigation, WarningFirstThenFirstPlayTargetAndNotAgainUntilCleared)
{
    const PlayerDisc disc = makePlayerDisc();
    DVDPlayerNavigation navigation = navigationFor(disc);

    DVDPlayerNavigation::Start start = navigation.playDVDItem(nullptr);
    EXPECT_EQ(start.target, chapterOf(disc.warning, 0))
        << "the warning plays before the first menu";
    EXPECT_FALSE(navigation.play_warn_video());
    EXPECT_EQ(start.chapters, chaptersOf(disc.warning));
    EXPECT_EQ(navigation.currentPlayTitle(), disc.warning);

    DVDPlayerNavigation::End end = navigation.targetDidEnd();
    EXPECT_EQ(end.action, DVDPlayerNavigation::End::Action::Play);
    EXPECT_EQ(end.item, nullptr) << "the disc starts over at its first-play target";
    EXPECT_TRUE(navigation.play_warn_video());

    start = navigation.playDVDItem(end.item);
    EXPECT_EQ(start.target, disc.main);
    EXPECT_EQ(navigation.currentPlayMenu(), disc.main);

    // Neither the menu button nor a fresh start brings the warning back.
    EXPECT_EQ(navigation.playDVDItem(navigation.firstMenu()).target, disc.main);
    EXPECT_EQ(navigation.playDVDItem(nullptr).target, disc.main);

    navigation.clear();
    EXPECT_EQ(navigation.dvd(), nullptr);
    navigation.setDvd(disc.dvd);
    EXPECT_EQ(navigation.playDVDItem(nullptr).target, chapterOf(disc.warning, 0));
}

TEST(DVDPlayerNavigation, WithoutWarningTheStartIsTheFirstPlayTarget)
{
    PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    DVDPlayerNavigation navigation = navigationFor(disc);
    EXPECT_EQ(navigation.playDVDItem(nullptr).target, disc.main);
    EXPECT_TRUE(navigation.play_warn_video());

    disc.dvd->setPlayFirstTitle(true);
    EXPECT_EQ(navigation.playDVDItem(nullptr).target, chapterOf(disc.titles[0], 0))
        << "a disc that starts with its first title plays that title's first chapter";
}

// Asking for a button before the disc was started must not play an empty warning in its place.
TEST(DVDPlayerNavigation, AButtonBeforeTheStartOfADiscWithoutWarningPlaysItsTarget)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    DVDPlayerNavigation navigation = navigationFor(disc);
    EXPECT_EQ(navigation.playDVDItem(disc.mainSlots[1]).target, chapterOf(disc.titles[1], 0));
    EXPECT_TRUE(navigation.play_warn_video());
}

TEST(DVDPlayerNavigation, HitTestingAtFractionsOfThePicture)
{
    PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    const QSizeF page = disc.main->menuSize();
    ASSERT_EQ(page, QSizeF(640, 480));

    // Extra elements at the centre of the page, in this order: a static decoration over a button,
    // a button that holds (320, 240), one that holds it too (later, so it never wins), one whose
    // far edges stop at (320, 240), a disabled button and a title slot without a jump.
    auto decoration = app_testing::makeDecoration();
    decoration->setFrame(QRectF(300, 220, 40, 40));
    auto atCentre = app_testing::makeButton("Candy-play", QRectF(320, 240, 10, 10));
    auto overlapping = app_testing::makeButton("Candy-play", QRectF(315, 235, 30, 30));
    auto belowLeft = app_testing::makeButton("Candy-play", QRectF(300, 220, 20, 20));
    auto disabled = app_testing::makeButton("Candy-play", QRectF(20, 200, 20, 20));
    auto empty = app_testing::makeTitleSlot(QRectF(60, 200, 20, 20));
    for (const auto &item : {atCentre, overlapping, belowLeft, disabled})
        item->setJump(disc.titles[0]);
    disabled->setDisabled(true);
    DVDMenuItemList items = {decoration, atCentre, overlapping, belowLeft, disabled, empty};
    items.append(disc.main->items());
    disc.main->setItems(items);

    DVDPlayerNavigation navigation = navigationFor(disc);
    EXPECT_EQ(navigation.findItemAtPoint(QPointF(0.5, 0.5)), nullptr) << "no page plays yet";
    navigation.playDVDItem(nullptr);
    ASSERT_EQ(navigation.currentPlayMenu(), disc.main);

    struct Row
    {
        const char *name;
        QPointF fraction;
        DVDMenuItemRef expected;
    };
    const Row rows[] = {
        {"(0.5, 0.5) tests (320, 240); the earlier of two buttons wins", {0.5, 0.5}, atCentre},
        {"a point only the later button holds", {340.0 / 640, 260.0 / 480}, overlapping},
        {"the static decoration is never hit", {305.0 / 640, 225.0 / 480}, belowLeft},
        {"a disabled button is never hit", {30.0 / 640, 210.0 / 480}, nullptr},
        {"a slot without a jump is never hit", {70.0 / 640, 210.0 / 480}, nullptr},
        {"a title slot of the template",
         centreOf(disc.mainSlots[0]->frame(), page),
         disc.mainSlots[0]},
        {"outside the picture", {1.5, 0.5}, nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(navigation.findItemAtPoint(row.fraction), row.expected);
    }
}

TEST(DVDPlayerNavigation, HitTestingScalesToAWidePage)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false, .aspectType = 1});
    const QSizeF page = disc.main->menuSize();
    ASSERT_EQ(page, QSizeF(854, 480));
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(nullptr);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(navigation.findItemAtPoint(centreOf(disc.mainSlots[i]->frame(), page)),
                  disc.mainSlots[i]);
}

TEST(DVDPlayerNavigation, ButtonsLeadToTheirTitlesAndSubPages)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(nullptr);

    DVDPlayerNavigation::Start start = navigation.playDVDItem(disc.mainSlots[2]);
    EXPECT_EQ(start.target, disc.sub);
    EXPECT_EQ(navigation.lastMenu(), disc.main);

    start = navigation.playDVDItem(disc.subSlots[0]);
    EXPECT_EQ(start.target, chapterOf(disc.titles[2], 0));
    EXPECT_EQ(start.startUs, 0);
    EXPECT_EQ(navigation.currentPlayTitle(), disc.titles[2]);
    EXPECT_EQ(navigation.currentPlayMenu(), nullptr);

    // The sub-page's "pre" button leads back to the page that holds its parent.
    navigation.playDVDItem(disc.sub);
    const DVDMenuItemRef pre = DVDMenuExtention::preButtonItem(*disc.sub);
    ASSERT_TRUE(pre);
    EXPECT_EQ(navigation.playDVDItem(pre).target, disc.main);
}

// The authored disc ends a title with "g2=1;call menu entry root;": the root menu then shows the
// page last shown (g1). The player returns to the page the title was started from in the same way.
TEST(DVDPlayerNavigation, ATitlesEndReturnsToThePageItWasStartedFrom)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    const QString author = disc.dvd->authorContent();
    ASSERT_TRUE(
        author.contains("<vob file=\"title2.dvd\"  /><post>g4=0;g2=1;call menu entry root;"))
        << author.toStdString();
    ASSERT_TRUE(author.contains("if (g1 == 2) jump menu 2;"));

    struct Row
    {
        const char *name;
        DVDMenuRef page;
        DVDMenuItemRef button;
        ObjectRef title;
    };
    const Row rows[] = {
        {"from the sub-page", disc.sub, disc.subSlots[0], disc.titles[2]},
        {"from the main page", disc.main, disc.mainSlots[1], disc.titles[1]},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DVDPlayerNavigation navigation = navigationFor(disc);
        navigation.playDVDItem(nullptr);
        navigation.playDVDItem(row.page);
        EXPECT_EQ(navigation.playDVDItem(row.button).target, chapterOf(row.title, 0));
        // A chapter step inside the title keeps the page to return to.
        navigation.playDVDItem(chapterOf(row.title, 0));

        const DVDPlayerNavigation::End end = navigation.targetDidEnd();
        EXPECT_EQ(end.action, DVDPlayerNavigation::End::Action::Play);
        EXPECT_EQ(end.item, row.page);
        EXPECT_EQ(navigation.playDVDItem(end.item).target, row.page);
    }
}

TEST(DVDPlayerNavigation, AMenuThatEndsPlaysWhatItsRulesName)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(nullptr);
    navigation.playDVDItem(disc.sub);
    const DVDPlayerNavigation::End end = navigation.targetDidEnd();
    EXPECT_EQ(end.item, disc.sub) << "production pages loop";
}

TEST(DVDPlayerNavigation, ChapterStepsWithinATitleOfThreeChapters)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    const auto &title = disc.titles[0];
    ASSERT_EQ(chaptersOf(title).size(), 3);
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(nullptr);
    EXPECT_EQ(navigation.currentPlayItemRelative(1, 0), nullptr) << "no title plays";

    navigation.playDVDItem(disc.mainSlots[0]);
    EXPECT_EQ(navigation.currentPlayItemRelative(-1, 5 * kSecond), nullptr)
        << "nothing before the first chapter";
    EXPECT_EQ(navigation.currentPlayItemRelative(1, 12 * kSecond), chapterOf(title, 2));
    EXPECT_EQ(navigation.currentPlayItemRelative(-1, 12 * kSecond), chapterOf(title, 0));
    EXPECT_EQ(navigation.currentPlayItemRelative(1, 25 * kSecond), nullptr);
    EXPECT_EQ(navigation.currentPlayItemRelative(-1, 31 * kSecond), chapterOf(title, 1))
        << "past the end the playhead counts as in the last chapter";

    const DVDPlayerNavigation::Start start = navigation.playDVDItem(chapterOf(title, 2));
    EXPECT_EQ(start.target, chapterOf(title, 2));
    EXPECT_EQ(start.chapters, chaptersOf(title)) << "a chapter plays its whole title";
    EXPECT_EQ(start.startUs, 20 * kSecond);
    EXPECT_EQ(navigation.lastMenu(), disc.main);
}

TEST(DVDPlayerNavigation, FindChapterAtBoundaries)
{
    const ObjectList chapters = chaptersOf(makeDiscTitle({10.0, 0.0, 10.0}));
    struct Row
    {
        const char *name;
        int64_t t;
        ObjectRef expected;
    };
    const Row rows[] = {
        {"start", 0, chapters[0]},
        {"just before the first end", 10 * kSecond - 1, chapters[0]},
        {"a chapter's end belongs to the next; an empty one holds nothing",
         10 * kSecond,
         chapters[2]},
        {"the end of the last", 20 * kSecond, nullptr},
        {"before the start", -1, chapters[0]},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DVDPlayerNavigation::findChapterIn(chapters, row.t), row.expected);
    }
    EXPECT_EQ(DVDPlayerNavigation::findChapterIn({}, 0), nullptr);
}

// Whether any pixel of image inside rect (rows from the top) is not fully transparent, and
// whether every pixel outside it is.
struct Coverage
{
    bool inside = false;
    bool outside = false;
};
Coverage coverage(const QImage &image, const QRect &rect)
{
    Coverage result;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                continue;
            (rect.contains(x, y) ? result.inside : result.outside) = true;
        }
    }
    return result;
}

TEST(DVDPlayerNavigation, HighlightFollowsTheMouseAndStaysWhenItLeaves)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(nullptr);
    const QSizeF page = disc.main->menuSize();
    ASSERT_EQ(navigation.dvd_highlight_image().size(), page.toSize())
        << "the layer is drawn at the DVD size and kept in menu points";
    EXPECT_TRUE(navigation.getDVDHighlightImage().isNull()) << "before any hover";

    const QRectF frame = disc.mainSlots[1]->frame();
    navigation.moveAtPoint(centreOf(frame, page));
    EXPECT_EQ(navigation.dvd_highlight_rect(), frame);
    const QImage highlight = navigation.getDVDHighlightImage();
    ASSERT_FALSE(highlight.isNull());
    EXPECT_EQ(highlight.size(), page.toSize());

    // The frame grown by half a point, in rows from the top of the page.
    const QRectF grown = frame.adjusted(-0.5, -0.5, 0.5, 0.5);
    const QRect cut
        = QRectF(grown.x(), page.height() - grown.bottom(), grown.width(), grown.height())
              .toAlignedRect();
    const Coverage covered = coverage(highlight, cut);
    EXPECT_TRUE(covered.inside);
    EXPECT_FALSE(covered.outside) << "nothing of the layer outside the grown frame";
    const QImage layer = navigation.dvd_highlight_image();
    for (const QPoint probe : {cut.topLeft(), cut.bottomRight(), cut.center()})
        EXPECT_EQ(highlight.pixel(probe), layer.pixel(probe));

    navigation.moveAtPoint(QPointF(0.01, 0.99));
    EXPECT_EQ(navigation.dvd_highlight_rect(), frame) << "off every button the last one stays";
    EXPECT_EQ(navigation.getDVDHighlightImage(), highlight);

    navigation.playDVDItem(disc.mainSlots[1]);
    EXPECT_TRUE(navigation.dvd_highlight_rect().isEmpty());
    EXPECT_TRUE(navigation.dvd_highlight_image().isNull()) << "a title has no highlight";
    EXPECT_TRUE(navigation.getDVDHighlightImage().isNull());
}

TEST(DVDPlayerNavigation, ANilTargetIsFollowedByTheFirstPlayTarget)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(nullptr);
    ASSERT_EQ(disc.mainSlots[3]->jump(), nullptr);
    const DVDPlayerNavigation::Start start = navigation.playDVDItem(disc.mainSlots[3]);
    EXPECT_EQ(start.target, nullptr);
    EXPECT_TRUE(start.chapters.isEmpty());
    EXPECT_EQ(navigation.current_play(), nullptr);

    const DVDPlayerNavigation::End end = navigation.targetDidEnd();
    EXPECT_EQ(end.action, DVDPlayerNavigation::End::Action::Play);
    EXPECT_EQ(navigation.playDVDItem(end.item).target, disc.main);
}

TEST(DVDPlayerNavigation, WithoutMenusTheWarningPlaysOnceThenTheFirstTitle)
{
    const PlayerDisc disc = makePlayerDisc(DiscOptions{.noMenu = true});
    DVDPlayerNavigation navigation = navigationFor(disc);
    EXPECT_EQ(navigation.firstMenu(), nullptr);
    EXPECT_EQ(navigation.indexOfMenu(disc.main), -1);

    EXPECT_EQ(navigation.playDVDItem(nullptr).target, chapterOf(disc.warning, 0));
    DVDPlayerNavigation::End end = navigation.targetDidEnd();
    EXPECT_EQ(end.action, DVDPlayerNavigation::End::Action::Play);
    EXPECT_EQ(end.item, chapterOf(disc.titles[0], 0));
    EXPECT_TRUE(navigation.play_warn_video());
    EXPECT_EQ(navigation.playDVDItem(end.item).target, chapterOf(disc.titles[0], 0));

    // The titles follow each other; the warning never comes back.
    end = navigation.targetDidEnd();
    EXPECT_EQ(end.item, chapterOf(disc.titles[1], 0));
    EXPECT_EQ(navigation.playDVDItem(nullptr).target, chapterOf(disc.titles[0], 0));
}

TEST(DVDPlayerNavigation, NothingAfterTheLastTitleOfADiscWithoutPagesStops)
{
    // A disc whose pages are gone: nothing follows the last title, so the player stays paused.
    PlayerDisc disc = makePlayerDisc(DiscOptions{.warning = false});
    disc.dvd->setMenus({});
    DVDPlayerNavigation navigation = navigationFor(disc);
    navigation.playDVDItem(chapterOf(disc.titles[2], 0));
    const DVDPlayerNavigation::End end = navigation.targetDidEnd();
    EXPECT_EQ(end.action, DVDPlayerNavigation::End::Action::Stop);
}

TEST(DVDPlayerNavigation, MenusAndTheirPositions)
{
    const PlayerDisc disc = makePlayerDisc();
    DVDPlayerNavigation navigation = navigationFor(disc);
    EXPECT_EQ(navigation.firstMenu(), disc.main);
    EXPECT_EQ(navigation.indexOfMenu(disc.sub), 1);
    EXPECT_EQ(navigation.indexOfMenu(std::make_shared<DVDMenu>()), -1);
    EXPECT_EQ(navigation.getWarnDVDTitle(), disc.warning);

    DVDPlayerNavigation empty;
    EXPECT_EQ(empty.firstMenu(), nullptr);
    EXPECT_EQ(empty.playDVDItem(nullptr).target, nullptr);
}

} // namespace
