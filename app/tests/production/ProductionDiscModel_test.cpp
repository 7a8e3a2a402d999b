// The production disc model: which titles and chapters reach the disc, where every play button
// leads, the warning title, and the page durations fixed on the way.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/production/DVDChapterVideo.h"
#include "app/production/DVDTitleVideo.h"
#include "app/production/ProductionDiscModel.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/MenuFixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace app_testing;
using namespace Discwright::ProductionDiscModel;
using Discwright::DVDChapterVideo;
using Discwright::DVDChapterVideoList;
using Discwright::DVDTitleVideo;

qint64 us(double seconds)
{
    return qint64(seconds * 1000000.0);
}

std::shared_ptr<MediaData> clipOf(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    auto clip = MediaData::mediaDataWithPath(path);
    return clip && clip->movie() ? clip : nullptr;
}

std::shared_ptr<DVDTitleData> titleOf(const QList<std::shared_ptr<MediaData>> &clips)
{
    auto title = std::make_shared<DVDTitleData>();
    MediaDataList list;
    for (const auto &clip : clips)
        list.append(clip);
    title->setMediaArray(list);
    for (const auto &clip : clips)
        clip->setSuperData(title);
    return title;
}

DVDMenuItemRef slotFor(const ObjectRef &title)
{
    auto slot = makeTitleSlot();
    slot->setJump(title);
    return slot;
}

std::shared_ptr<DVDMenu> pageOf(const DVDMenuItemList &items)
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    page->setItems(items);
    return page;
}

DVDChapterVideoList chaptersOf(const ObjectRef &title)
{
    const auto video = platform::objectCast<DVDTitleVideo>(title);
    return video ? video->chapterVideos() : DVDChapterVideoList();
}

// A project of three titles: A (20 s in three chapters) on the first page, B (4 s) on the first
// and the second page, C (4 s) on no page; a sub-page below the first page holds no title.
struct Project
{
    std::shared_ptr<DVDTitleData> a, b, c;
    DVDMenuItemRef slotA, slotB1, slotB2, toSubPage, play1, play2, play3;
    std::shared_ptr<DVDMenu> page1, page2, subPage;
    std::shared_ptr<DVDLibrary> dvd;

    bool make()
    {
        const auto clipA = clipOf(ClipFixtures::shared().chaptered20s());
        const auto clipB = clipOf(ClipFixtures::shared().colour(QStringLiteral("red"), 4));
        const auto clipC = clipOf(ClipFixtures::shared().colour(QStringLiteral("blue"), 4));
        if (!clipA || !clipB || !clipC)
            return false;
        a = titleOf({clipA});
        b = titleOf({clipB});
        c = titleOf({clipC});
        slotA = slotFor(a);
        slotB1 = slotFor(b);
        slotB2 = slotFor(b);
        play1 = makeButton(QStringLiteral("play"));
        play2 = makeButton(QStringLiteral("play"));
        play3 = makeButton(QStringLiteral("play"));
        toSubPage = makeButton(QStringLiteral("next"));
        subPage = pageOf({play3});
        // A button leading to a page comes first: the page's first title is still A.
        page1 = pageOf({toSubPage, slotA, slotB1, play1});
        page2 = pageOf({slotB2, play2});
        toSubPage->setJump(subPage);
        subPage->setParent(toSubPage);
        dvd = std::make_shared<DVDLibrary>();
        dvd->setTitles({a, b, c});
        dvd->setMenus({page1, subPage, page2});
        dvd->setAspectType(1);
        dvd->setFormat(1);
        dvd->setDvdBitrate(4000);
        dvd->setPlayFirstTitle(true);
        dvd->setPlayTitleSequence(true);
        dvd->setLoopVideo(true);
        dvd->setMenuLoop(false);
        return true;
    }
};

TEST(ProductionDiscModel, MenuModeKeepsThePlacedTitlesAndPointsEveryPlayButton)
{
    application();
    ScopedMainWindow window;
    Project project;
    ASSERT_TRUE(project.make());
    window->setDvd(project.dvd);

    const auto disc = getDVDObj(*window);
    ASSERT_TRUE(disc);
    EXPECT_FALSE(disc->autoMenus());
    EXPECT_FALSE(disc->noMenu());
    EXPECT_TRUE(disc->menuLoop()) << "always on for the disc";
    EXPECT_EQ(disc->aspectType(), 1);
    EXPECT_EQ(disc->format(), 1);
    EXPECT_EQ(disc->dvdBitrate(), 4000);
    EXPECT_TRUE(disc->playFirstTitle());
    EXPECT_TRUE(disc->playTitleSequence());
    EXPECT_TRUE(disc->loopVideo());
    // Production's own copies of the pages, element for element.
    const DVDMenuList editing = project.dvd->menus();
    const DVDMenuList copies = disc->menus();
    ASSERT_EQ(copies.size(), editing.size());
    for (qsizetype p = 0; p < copies.size(); ++p) {
        EXPECT_NE(copies[p], editing[p]) << "never the editing page itself";
        ASSERT_EQ(copies[p]->items().size(), editing[p]->items().size());
    }
    // The production copy of an editing element.
    const auto copyOf = [&](const ObjectRef &item) -> ObjectRef {
        for (qsizetype p = 0; p < editing.size(); ++p) {
            const qsizetype k = editing[p]->items().indexOf(item);
            if (k >= 0)
                return copies[p]->items()[k];
        }
        return nullptr;
    };

    // C is on no page and stays off the disc; A keeps its three chapters.
    const ObjectList titles = disc->titles();
    ASSERT_EQ(titles.size(), 2);
    const DVDChapterVideoList chaptersA = chaptersOf(titles[0]);
    ASSERT_EQ(chaptersA.size(), 3);
    // Every element leading to A, its title slot and the two play buttons now pointed at it,
    // in page order: the library maps each of them to A's chapter.
    for (const auto &chapter : chaptersA)
        EXPECT_EQ(
            chapter->titles(),
            (ObjectList{copyOf(project.slotA), copyOf(project.play1), copyOf(project.play2)}));
    EXPECT_NEAR(chaptersA[0]->duration(), 7.0, 0.05);
    EXPECT_NEAR(platform::objectCast<DVDTitleVideo>(titles[0])->duration(), 20.0, 0.05);
    // B is on two pages: its chapter lists both elements.
    const DVDChapterVideoList chaptersB = chaptersOf(titles[1]);
    ASSERT_EQ(chaptersB.size(), 1);
    EXPECT_EQ(chaptersB[0]->titles(), (ObjectList{copyOf(project.slotB1), copyOf(project.slotB2)}));

    EXPECT_EQ(project.play1->jump(), project.a);
    EXPECT_EQ(project.play3->jump(), nullptr) << "a page without titles plays nothing";
    // The last main page plays the first placed title, although A lies on another page.
    EXPECT_EQ(project.play2->jump(), project.a);

    // The authoring library sees the two titles and A's chapter marks.
    const QString xml = disc->authorContent();
    EXPECT_TRUE(xml.contains(QStringLiteral("title1.dvd"))) << qPrintable(xml);
    EXPECT_FALSE(xml.contains(QStringLiteral("title2.dvd")));
    EXPECT_TRUE(xml.contains(QStringLiteral("chapters=\"00:00:07.00,00:00:14.00\"")))
        << qPrintable(xml);
    EXPECT_EQ(window->capacityRefreshes, 1);
}

TEST(ProductionDiscModel, NoMenuModeKeepsEveryTitleAsChaptersOfOne)
{
    application();
    ScopedMainWindow window;
    Project project;
    ASSERT_TRUE(project.make());
    project.dvd->setNoMenu(true);
    project.page1->setDuration(0.4);
    window->setDvd(project.dvd);

    const auto disc = getDVDObj(*window);
    ASSERT_TRUE(disc);
    EXPECT_TRUE(disc->menus().isEmpty());
    ASSERT_EQ(disc->titles().size(), 1);
    const DVDChapterVideoList chapters = chaptersOf(disc->titles().first());
    ASSERT_EQ(chapters.size(), 5) << "A's three, B's and C's";
    for (const auto &chapter : chapters)
        EXPECT_TRUE(chapter->titles().isEmpty());
    EXPECT_NEAR(platform::objectCast<DVDTitleVideo>(disc->titles().first())->duration(), 28.0, 0.1);
    EXPECT_DOUBLE_EQ(project.page1->duration(), 0.4) << "pages are left alone without menus";
    EXPECT_EQ(window->capacityRefreshes, 0);
}

struct WarningRow
{
    const char *name;
    bool hasWarning;
    double trimSeconds; // < 0: the whole clip
    int chapters;       // of the warning clip on the disc; 0: no warning title
    double seconds;
};

TEST(ProductionDiscModel, TheWarningTitleKeepsTheWholeClipAndComesLast)
{
    application();
    const WarningRow rows[] = {
        {"all three chapters of the warning clip play", true, -1, 3, 20.0},
        {"a warning of 0.5 s is left off", true, 0.5, 0, 0},
        {"a warning of 0.6 s is kept", true, 0.6, 1, 0.6},
        {"no warning asked for", false, -1, 0, 0},
    };
    for (const WarningRow &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedMainWindow window;
        Project project;
        ASSERT_TRUE(project.make());
        window->setDvd(project.dvd);
        const auto warning = clipOf(ClipFixtures::shared().chaptered20s());
        ASSERT_TRUE(warning);
        if (row.trimSeconds >= 0)
            warning->movie()->setTrimStop(us(row.trimSeconds));
        window->tempDvdData()->setDvdHasWarningMedia(row.hasWarning);
        window->tempDvdData()->setDvdWarningMedia(warning);

        const auto disc = getDVDObj(*window);
        ASSERT_TRUE(disc);
        const ObjectList titles = disc->titles();
        if (row.chapters == 0) {
            EXPECT_EQ(titles.size(), 2);
            EXPECT_EQ(disc->getWarningTitle(), nullptr);
            continue;
        }
        ASSERT_EQ(titles.size(), 3);
        const auto last = platform::objectCast<DVDTitleVideo>(titles.last());
        ASSERT_TRUE(last);
        EXPECT_TRUE(last->isWarningVideo());
        EXPECT_EQ(disc->getWarningTitle(), titles.last());
        ASSERT_EQ(last->chapterVideos().size(), 1);
        EXPECT_EQ(DVDTitleVideo::vcmoviesForChapters(last->chapterVideos()).size(), row.chapters);
        // The conversion plays the clip straight through its chapter points.
        EXPECT_EQ(last->vcmovies().size(), 1);
        EXPECT_NEAR(last->duration(), row.seconds, 0.05);
        // Production's copy of the clip is sized for the page; the project's own is left alone.
        const auto played = platform::objectCast<VCMovie>(last->vcmovies().first());
        ASSERT_TRUE(played);
        EXPECT_EQ(played->videoOutputSize(), QSizeF(854, 480));
        EXPECT_NE(played, warning->movie());
    }
}

struct DurationRow
{
    const char *name;
    bool musicLengthFlag;
    double musicSeconds; // < 0: no music
    double showSeconds;  // < 0: no slideshow; the show is one picture of that length
    bool showSetsLength;
    bool pageUsesShow;
    double before;
    double after;
};

TEST(ProductionDiscModel, PageDurations)
{
    application();
    const DurationRow rows[] = {
        {"music length: its music's trimmed length", true, 9.5, -1, false, false, 0, 9.5},
        {"music length: 15 s without music", true, -1, -1, false, false, 40, 15.0},
        {"no flag: 0.4 s becomes 15 s", false, -1, -1, false, false, 0.4, 15.0},
        {"no flag: 1.0 s stays", false, -1, -1, false, false, 1.0, 1.0},
        {"no flag: music does not count", false, 9.5, -1, false, false, 22, 22},
        {"a slideshow setting the length gives its own", true, 9.5, 14, true, true, 3, 14.0},
        {"a slideshow of 0.8 s leaves the duration", true, 9.5, 0.8, true, true, 7, 7.0},
        {"a slideshow not setting the length: the flag rules", true, -1, 14, false, true, 3, 15.0},
        {"a slideshow the page does not show: the flag rules", true, 9.5, 14, true, false, 3, 9.5},
    };
    for (const DurationRow &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedMainWindow window;
        auto page = pageOf({});
        page->setDuration(row.before);
        if (row.musicSeconds >= 0) {
            const auto music = clipOf(sineMusic(12));
            ASSERT_TRUE(music);
            music->movie()->setTrimStop(us(row.musicSeconds));
            page->setMusic(music);
        }
        if (row.showSeconds >= 0) {
            auto drawer = std::make_shared<BackgroundRenderData>();
            drawer->setEveryImageDuration(row.showSeconds);
            drawer->setEveryRenderDuration(1.0);
            drawer->setUseRenderDurAsMenuDur(row.showSetsLength);
            drawer->setImageItemArray({std::make_shared<BackPictureItem>()});
            page->setMenu_drawer(drawer);
            page->setUse_menu_drawer(row.pageUsesShow);
        }
        window->dvd()->setMenus({page});
        window->tempDvdData()->setUseBackMusicLengthDuration(row.musicLengthFlag);
        b_updateDvdMenuDuration(*window);
        EXPECT_NEAR(page->duration(), row.after, 1e-6);
        EXPECT_EQ(window->capacityRefreshes, 1);
    }
}

TEST(ProductionDiscModel, ElementLookups)
{
    auto title = std::make_shared<DVDTitleData>();
    auto other = std::make_shared<DVDTitleData>();
    auto first = slotFor(title), second = slotFor(title), elsewhere = slotFor(other);
    auto page1 = pageOf({first, elsewhere});
    auto page2 = pageOf({second});
    EXPECT_EQ(findMenuItemsByTitle(title, {page1, page2}), (ObjectList{first, second}));
    EXPECT_TRUE(findMenuItemsByTitle(nullptr, {page1, page2}).isEmpty());
    EXPECT_EQ(getFirstTitleVideo(*page1), title);
    EXPECT_EQ(getFirstTitleVideo(*pageOf({})), nullptr);
    // A production title is not a project title: it does not count as the page's first title.
    auto production = std::make_shared<DVDTitleVideo>();
    EXPECT_EQ(getFirstTitleVideo(*pageOf({slotFor(production), second})), title);
}

} // namespace
