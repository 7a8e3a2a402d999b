// The edits that touch titles and pages at once: the blank page from the template, sub-menu pages,
// new titles from the pieces of a cut clip, and the picture time of title items.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <gtest/gtest.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;
namespace edits = TitlePageEdits;

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

DVDTitleDataRef makeClipTitle(const QString &name)
{
    auto title = std::make_shared<DVDTitleData>();
    title->setName(name);
    auto clip = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("red", 2));
    title->setMediaArray({clip});
    clip->setSuperData(title);
    return title;
}

MediaDataList makeClips(int count)
{
    MediaDataList clips;
    for (int i = 0; i < count; ++i)
        clips.append(MediaData::mediaDataWithPath(ClipFixtures::shared().colour("blue", 2)));
    return clips;
}

// A disc of one 16:9 page holding an item for title at frame, with its style record.
DVDLibraryRef makeDisc(const DVDTitleDataRef &title, const QRectF &frame, TempEditDataList &records)
{
    auto dvd = std::make_shared<DVDLibrary>();
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(854, 480));
    auto item = makeTitleSlot(frame);
    item->setJump(title);
    page->setItems({makeButton("play"), item});
    MenuTitleItems::createTempEditDataWhenAddMenuItem(item, records);
    dvd->setMenus({page});
    return dvd;
}

TEST(TitlePageEdits, TheBlankPageKeepsItsButtonsMovedAndLosesItsTitles)
{
    const auto blank = edits::blankTemplatePage(1);
    ASSERT_TRUE(blank) << "the shipped library has a blank 16:9 page";
    ASSERT_FALSE(DVDMenuExtention::titleItems(*blank).isEmpty());
    for (bool holdOne : {false, true}) {
        SCOPED_TRACE(holdOne ? "hold one" : "remove all");
        auto page = std::dynamic_pointer_cast<DVDMenu>(blank->copy());
        const auto buttonsBefore = DVDMenuExtention::buttonItems(*page);
        const auto firstTitle = DVDMenuExtention::titleItems(*page).first();
        TempEditDataList records;
        edits::removeAllTitlesInNewMenu(*page, holdOne, records);
        const auto titles = DVDMenuExtention::titleItems(*page);
        if (holdOne)
            EXPECT_EQ(titles, DVDMenuItemList{firstTitle});
        else
            EXPECT_TRUE(titles.isEmpty());
        const auto buttons = DVDMenuExtention::buttonItems(*page);
        ASSERT_EQ(buttons.size(), buttonsBefore.size());
        ASSERT_EQ(records.size(), buttons.size());
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            EXPECT_EQ(records[i]->currentMedia(), buttons[i]);
            // The record keeps the frame before the move.
            const QRectF fitted = buttons[i]->frame().translated(80, -30);
            EXPECT_DOUBLE_EQ(fitted.x(), records[i]->titleOldFrame().x());
        }
    }
}

TEST(TitlePageEdits, ASubMenuPageHoldsOneTitleItemForItsTitleOrNone)
{
    TempEditDataList records;
    auto title = makeClipTitle("Sub");
    auto dvd = makeDisc(title, QRectF(100, 200, 160, 120), records);
    dvd->setAspectType(1);
    const auto parentItem = dvd->menus().first()->items().last();
    const auto withTitle = edits::createNewSubMenuPageForItem(*dvd, parentItem, title, records);
    ASSERT_TRUE(withTitle);
    const auto titles = DVDMenuExtention::titleItems(*withTitle);
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(titles[0]->jump(), title);
    EXPECT_TRUE(titles[0]->useFrame());
    EXPECT_EQ(withTitle->parent(), parentItem);
    EXPECT_EQ(withTitle->menuSize(), QSizeF(854, 480));
    EXPECT_EQ(records.last()->currentMedia(), titles[0]);

    const auto empty = edits::createNewSubMenuPageForItem(*dvd, parentItem, nullptr, records);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(DVDMenuExtention::titleItems(*empty).isEmpty());
    EXPECT_EQ(dvd->menus(), (QList<DVDMenuRef>{dvd->menus().first(), withTitle, empty}));
}

TEST(TitlePageEdits, CutPiecesBecomeTitlesBesideTheirTitle)
{
    struct Row
    {
        const char *name;
        int position;
        QRectF frame;
        QList<int> expectedPositions;
        QList<QPointF> expectedPlaces;
    };
    const Row rows[] = {
        {"first of five", 0, {100, 200, 160, 120}, {2, 3, 4}, {{110, 190}, {120, 180}, {130, 170}}},
        {"last of five", 4, {100, 200, 160, 120}, {5, 6, 7}, {{110, 190}, {120, 180}, {130, 170}}},
        {"near the bottom", 0, {100, 15, 160, 120}, {2, 3, 4}, {{110, 5}, {120, 0}, {130, 0}}},
        {"near the right edge",
         0,
         {680, 200, 160, 120},
         {2, 3, 4},
         {{690, 190}, {694, 180}, {694, 170}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QList<DVDTitleDataRef> list;
        for (int i = 0; i < 5; ++i) {
            auto other = std::make_shared<DVDTitleData>();
            other->setName(QString("Other %1").arg(i));
            list.append(other);
        }
        auto title = makeClipTitle("Cut");
        list[row.position] = title;
        TempEditDataList records;
        auto dvd = makeDisc(title, row.frame, records);
        records.first()->setTitleRoundValue(0.3);
        const auto clips = makeClips(3);
        clips[1]->movie()->setTrimStart(500000);
        const auto made = edits::addNewMenuTitleWithMedias(*dvd, list, clips, title, records);
        ASSERT_EQ(made.size(), 3);
        const auto page = dvd->menus().first();
        ASSERT_EQ(page->items().size(), 5);
        ASSERT_EQ(records.size(), 4);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(list.indexOf(made[i]), row.expectedPositions[i]);
            EXPECT_EQ(made[i]->name(), "Cut");
            EXPECT_EQ(clips[i]->superData(), made[i]);
            const auto item = page->items()[2 + i];
            EXPECT_EQ(item->jump(), made[i]);
            EXPECT_EQ(item->frame().topLeft(), row.expectedPlaces[i]);
            EXPECT_EQ(records[1 + i]->currentMedia(), item);
            EXPECT_DOUBLE_EQ(records[1 + i]->titleRoundValue(), 0.3);
        }
        EXPECT_EQ(records[2]->titleVideoImageTime(), 500000);
        EXPECT_EQ(records[1]->titleVideoImageTime(), 0);
    }
}

TEST(TitlePageEdits, ATitleOnNoPageGetsNewTitlesInTheListOnly)
{
    QList<DVDTitleDataRef> list;
    auto title = makeClipTitle("Alone");
    list.append(title);
    TempEditDataList records;
    auto dvd = std::make_shared<DVDLibrary>();
    const auto made = edits::addNewMenuTitleWithMedias(*dvd, list, makeClips(2), title, records);
    EXPECT_EQ(list, (QList<DVDTitleDataRef>{title, made[0], made[1]}));
    EXPECT_TRUE(records.isEmpty());
}

TEST(TitlePageEdits, ThePictureTimeFollowsTheTrimOfTheFirstClip)
{
    TempEditDataList records;
    auto title = makeClipTitle("Trimmed");
    auto dvd = makeDisc(title, QRectF(100, 200, 160, 120), records);
    const auto clip = title->mediaArray().first();
    const auto record = records.first();
    record->setTitleVideoImageTime(300000);
    clip->movie()->setTrimStart(1000000);
    // A clip that is not the first of its title changes nothing.
    auto stranger = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("blue", 2));
    edits::updateMenuItemTitleImageWithMedia(*dvd, *stranger, records);
    EXPECT_EQ(record->titleVideoImageTime(), 300000);
    edits::updateMenuItemTitleImageWithMedia(*dvd, *clip, records);
    EXPECT_EQ(record->titleVideoImageTime(), 1000000);
    // Inside the kept piece it stays.
    record->setTitleVideoImageTime(1500000);
    edits::updateMenuItemTitleImage(*dvd->menus().first()->items().last(), records);
    EXPECT_EQ(record->titleVideoImageTime(), 1500000);
}

} // namespace
