// Title items on a menu page: the default slots of imported titles, the reuse of an empty slot,
// the collision search, the style record of every new item and the clamp that holds a placement
// inside the page.

#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/CanvasClamp.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>

namespace {

using namespace app_testing;
namespace items = MenuTitleItems;

DVDMenuRef makePage(qint64 aspectType)
{
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(DVDMenu::menuSizeForAspectType(aspectType));
    page->setItems({makeButton("play"), makeStaticText()});
    return page;
}

class MenuTitleItemsTest : public ::testing::Test
{
protected:
    void SetUp() override { application(); }

    DVDMenuItemRef prototype = makeTitleSlot(QRectF(1, 2, 3, 4));
    TempEditDataList records;
};

TEST_F(MenuTitleItemsTest, ImportedTitlesFillTheGridUpperRowFirst)
{
    struct Row
    {
        const char *name;
        qint64 aspect;
        QList<QPointF> places;
    };
    const Row rows[] = {
        {"4:3 page", 0, {{20, 276}, {280, 276}, {20, 76}, {280, 76}}},
        {"16:9 page", 1, {{76, 276}, {336, 276}, {76, 76}, {336, 76}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        records.clear();
        auto page = makePage(row.aspect);
        // Items hold their jumps weakly: the titles live in the disc model.
        ObjectList titles;
        for (const QPointF &place : row.places) {
            auto title = std::make_shared<QObject>();
            titles.append(title);
            const auto item = items::importTitle(*page, title, prototype.get(), records);
            ASSERT_TRUE(item);
            EXPECT_EQ(item->frame(), QRectF(place, QSizeF(240, 180)));
            EXPECT_EQ(item->jump(), title);
            EXPECT_TRUE(item->useFrame());
            EXPECT_EQ(item->frameResource(), prototype->frameResource());
            EXPECT_EQ(page->items().last(), item);
        }
        EXPECT_EQ(items::currentPageTitles(*page).size(), 4);
        ASSERT_EQ(records.size(), 4);
        EXPECT_EQ(records[0]->titleOldFrame(), QRectF(row.places[0], QSizeF(240, 180)));
        EXPECT_DOUBLE_EQ(records[0]->titleFrameTemplateBili(), 240.0 / 180.0);
        EXPECT_TRUE(records[0]->buttonHasShadow());
    }
}

TEST_F(MenuTitleItemsTest, AnEmptySlotTakesTheTitleWithoutANewItemOrRecord)
{
    auto page = makePage(1);
    auto slot = makeTitleSlot(QRectF(500, 50, 100, 80));
    auto items = page->items();
    items.append(slot);
    page->setItems(items);
    auto title = std::make_shared<QObject>();
    EXPECT_EQ(items::importTitle(*page, title, prototype.get(), records), slot);
    EXPECT_EQ(slot->jump(), title);
    EXPECT_EQ(page->items().size(), 3);
    EXPECT_TRUE(records.isEmpty());
}

TEST_F(MenuTitleItemsTest, TheFifthTitleStepsAwayFromItemsLyingOnItsPlace)
{
    struct Row
    {
        const char *name;
        QList<QPointF> blockers;
        QPointF expected;
    };
    const Row rows[] = {
        {"free upper left", {}, {76, 276}},
        {"one exactly there", {{76, 276}}, {96, 256}},
        {"two in a row", {{76, 276}, {96, 256}}, {116, 236}},
        {"one point away still counts", {{77, 275}}, {96, 256}},
        {"two points away does not", {{78, 276}}, {76, 276}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto page = makePage(1);
        auto list = page->items();
        // Four items away from the upper left slot, then the blockers.
        for (int i = 0; i < 4; ++i)
            list.append(makeTitleSlot(QRectF(600, 10 + i, 240, 180)));
        for (const QPointF &at : row.blockers)
            list.append(makeTitleSlot(QRectF(at, QSizeF(240, 180))));
        page->setItems(list);
        EXPECT_EQ(items::importDataDeflaultMenuItemFrame(*page),
                  QRectF(row.expected, QSizeF(240, 180)));
    }
}

TEST_F(MenuTitleItemsTest, TheSteppedSlotIsHeldInsideThePage)
{
    auto page = makePage(0);
    auto list = page->items();
    for (int i = 0; i < 4; ++i)
        list.append(makeTitleSlot(QRectF(400, 10 + i, 240, 180)));
    // A staircase down to the bottom edge.
    for (int i = 0; i < 16; ++i)
        list.append(makeTitleSlot(QRectF(20 + 20 * i, 276 - 20 * i, 240, 180)));
    page->setItems(list);
    const QRectF slot = items::importDataDeflaultMenuItemFrame(*page);
    EXPECT_EQ(slot.size(), QSizeF(240, 180));
    EXPECT_GE(slot.left(), 0);
    EXPECT_GE(slot.top(), 0);
    EXPECT_LE(slot.right(), 640);
}

TEST_F(MenuTitleItemsTest, StyleRecordsOfNewItemsAndTheirUpkeep)
{
    auto flat = makeTitleSlot(QRectF(0, 0, 120, 0));
    const auto record = items::createTempEditDataWhenAddMenuItem(flat, records);
    EXPECT_DOUBLE_EQ(record->titleFrameTemplateBili(), 120.0);
    EXPECT_EQ(records, TempEditDataList{record});

    flat->setFrame(QRectF(10, 10, 50, 50));
    items::changeTempEditDataOldFrameWhenShapeViewMove(*flat, records);
    EXPECT_EQ(record->titleOldFrame(), QRectF(10, 10, 50, 50));
    auto text = makeStaticText();
    const auto textRecord = items::createTempEditDataWhenAddMenuItem(text, records);
    const QRectF textFrame = textRecord->titleOldFrame();
    text->setFrame(QRectF(1, 1, 1, 1));
    items::changeTempEditDataOldFrameWhenShapeViewMove(*text, records);
    EXPECT_EQ(textRecord->titleOldFrame(), textFrame) << "static texts keep theirs";

    items::removeTempDataWhenDeleteMenuItem(*flat, records);
    EXPECT_EQ(records, TempEditDataList{textRecord});
    items::removeTempDataWhenDeleteMenuItem(*flat, records);
    EXPECT_EQ(records.size(), 1);
}

TEST_F(MenuTitleItemsTest, ADrawnPlaceWithoutATitleStaysAnEmptySlot)
{
    auto page = makePage(1);
    const auto item
        = items::addNewTitleItem(*page, nullptr, QRectF(10, 10, 100, 50), prototype.get(), records);
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->jump());
    EXPECT_EQ(item->frame(), QRectF(10, 10, 100, 50));
    EXPECT_EQ(records.size(), 1);
    EXPECT_EQ(items::blankMenuItmeWithoutData(*page), item);
    EXPECT_FALSE(items::addNewTitleItem(*page, nullptr, QRectF(), nullptr, records));
}

TEST(CanvasClamp, HoldsAPlacementInsideThePage)
{
    const QRectF page(0, 0, 854, 480);
    struct Row
    {
        const char *name;
        QRectF in;
        QRectF out;
    };
    const Row rows[] = {
        {"inside stays", {100, 100, 200, 100}, {100, 100, 200, 100}},
        {"wider than the page", {-30, 100, 900, 100}, {0, 100, 854, 100}},
        {"off the right edge", {800, 10, 100, 50}, {754, 10, 100, 50}},
        {"below the bottom", {10, -40, 100, 50}, {10, 0, 100, 50}},
        {"taller than the page", {10, 50, 100, 600}, {10, 0, 100, 480}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CanvasClamp::boundInCanvasLimit(row.in, page), row.out);
    }
}

} // namespace
