// The trim timeline's rules: where times sit on the strip, what a click hits, how far a handle
// drags, and the Add and Delete edits.

#include "app/videoeditor/View/COMVEProgressBarGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace COMVEProgressBarGeometry;

constexpr int64_t kSecond = 1000000;

// A 20 s timeline whose strip is 200 points wide (10 points a second) from x = 10.
Layout twentySeconds()
{
    Layout layout;
    layout.bounds = QRectF(0, 0, 220, 60);
    layout.durationUs = 20 * kSecond;
    layout.stripHeight = 10.0;
    layout.leftHandleSize = QSizeF(8, 12);
    layout.rightHandleSize = QSizeF(8, 12);
    return layout;
}

MovieTrimItemList trims(std::initializer_list<std::pair<double, double>> ranges)
{
    MovieTrimItemList list;
    for (const auto &[start, stop] : ranges)
        list.append(MovieTrimItem::item(start, stop - start));
    return list;
}

TEST(TrimTimeline, TimesAndPoints)
{
    Layout layout = twentySeconds();
    EXPECT_FLOAT_EQ(layout.timeToPoint(0), 10.0f);
    EXPECT_FLOAT_EQ(layout.timeToPoint(5 * kSecond), 60.0f);
    EXPECT_FLOAT_EQ(layout.timeToPoint(40 * kSecond), 210.0f) << "past the end maps to the end";
    EXPECT_EQ(layout.pointToTime(60.0f), 5 * kSecond);
    EXPECT_FLOAT_EQ(layout.minTrimWidth(), 10.0f);

    Layout fresh = twentySeconds();
    fresh.durationUs = 100;
    EXPECT_FLOAT_EQ(fresh.timeToPoint(100), 210.0f) << "before the first refresh";
    EXPECT_FLOAT_EQ(fresh.timeToPoint(5 * kSecond), 210.0f);
    EXPECT_FLOAT_EQ(fresh.minTrimWidth(), 200.0f) << "shorter than a second: the whole strip";

    Layout empty = twentySeconds();
    empty.durationUs = 0;
    EXPECT_FLOAT_EQ(empty.timeToPoint(3 * kSecond), 10.0f);
    EXPECT_EQ(seekTimeForPoint(empty, 150.0f), 0);
}

TEST(TrimTimeline, PointToTimeOnAStripWithoutWidth)
{
    // A view laid out no wider than its insets: the strip has no width to divide by.
    Layout layout = twentySeconds();
    layout.bounds = QRectF(0, 0, 20, 60);
    EXPECT_EQ(layout.pointToTime(10.0f), 0);
    EXPECT_EQ(layout.pointToTime(15.0f), 0);
    EXPECT_EQ(seekTimeForPoint(layout, 15.0f), 0);
    layout.bounds = QRectF(0, 0, 12, 60);
    EXPECT_EQ(layout.pointToTime(11.0f), 0);
}

TEST(TrimTimeline, HitTest)
{
    const Layout layout = twentySeconds();
    const double m = layout.middleY(); // 30
    // Handles hang under the strip; only their part below the strip's click zone hits.
    const double handleY = m - 14.5;
    // The second trim's left handle overlaps the first one's right handle.
    const MovieTrimItemList list = trims({{2, 5}, {5.5, 9}});
    struct Row
    {
        const char *name;
        QPointF p;
        int selectedBefore;
        DragType type;
        int selectedAfter;
    };
    const Row rows[] = {
        {"a trim's body selects it", {40, m}, kNoSelection, DragStrip, 0},
        {"the second trim's body", {90, m + 10}, 0, DragStrip, 1},
        {"between trims clears the selection", {150, m}, 1, DragStrip, kNoSelection},
        {"left margin of the strip", {6, m}, kNoSelection, DragStrip, kNoSelection},
        {"left handle of the first trim", {26, handleY}, kNoSelection, DragLeftHandle, 0},
        {"right handle of the second trim", {104, handleY}, kNoSelection, DragRightHandle, 1},
        {"where two handles meet the earlier trim wins",
         {62, handleY},
         kNoSelection,
         DragRightHandle,
         0},
        {"above the strip zone does nothing", {40, m + 14.5}, 1, DragNothing, 1},
        {"beside the handles does nothing", {150, handleY}, 0, DragNothing, 0},
        {"a handle's part inside the click zone is the strip",
         {26, m - 13},
         1,
         DragStrip,
         kNoSelection},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const HitResult hit = drayTypeAtPoint(layout, list, row.selectedBefore, row.p);
        EXPECT_EQ(hit.type, row.type);
        EXPECT_EQ(hit.selectedTrimIndex, row.selectedAfter);
    }
    EXPECT_EQ(drayTypeAtPoint(layout, {}, 3, {40, m}).selectedTrimIndex, 3)
        << "an empty list leaves the selection";
    EXPECT_EQ(seekTimeForPoint(layout, 6.0f), 0) << "left margin seeks to 0";
    EXPECT_EQ(seekTimeForPoint(layout, 214.0f), 20 * kSecond) << "right margin to the end";
}

TEST(TrimTimeline, HandleDragStopsAtItsBounds)
{
    const Layout layout = twentySeconds();
    // Trims [2,5], [8,12], [12.5,13] (the last narrower than a second).
    const MovieTrimItemList list = trims({{2, 5}, {8, 12}, {12.5, 13}});
    struct Row
    {
        const char *name;
        int selected;
        DragType type;
        double dx;
        double start;
        double stop;
    };
    const Row rows[] = {
        {"left handle dragged right stops a second before the end", 1, DragLeftHandle, 80, 11, 12},
        {"left handle dragged left stops at the previous end", 1, DragLeftHandle, -60, 5, 12},
        {"left handle of the first trim stops at 0", 0, DragLeftHandle, -90, 0, 5},
        {"left handle moves freely between", 1, DragLeftHandle, -10, 7, 12},
        {"right handle dragged left stops a second after the start", 0, DragRightHandle, -50, 2, 3},
        {"right handle dragged right stops at the next start", 0, DragRightHandle, 70, 2, 8},
        {"right handle of the last trim stops at the end", 2, DragRightHandle, 150, 12.5, 20},
        {"a squeezed trim takes its neighbour's bound", 2, DragLeftHandle, -20, 12, 13},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const float xs = layout.timeToPoint(list[row.selected]->startTime());
        const float xe = layout.timeToPoint(list[row.selected]->stopTime());
        const QPointF down(row.type == DragLeftHandle ? xs - 2 : xe + 2, 20);
        const auto step = actionForType(
            layout, list, row.selected, row.type, down, down + QPointF(row.dx, 3), xs, xe);
        ASSERT_TRUE(step);
        const MovieTrimItem &moved = *step->trims[row.selected];
        EXPECT_NEAR(moved.start(), row.start, 1e-4);
        EXPECT_NEAR(moved.stop(), row.stop, 1e-4);
        EXPECT_NEAR(double(step->currentTimeUs) / kSecond,
                    row.type == DragLeftHandle ? row.start : row.stop,
                    1e-4);
        EXPECT_NE(step->trims[row.selected], list[row.selected])
            << "the list is never edited in place";
        EXPECT_NEAR(list[row.selected]->stop() - list[row.selected]->start(),
                    list[row.selected]->duration(),
                    1e-9);
    }
    EXPECT_FALSE(actionForType(layout, list, kNoSelection, DragLeftHandle, {}, {}, 0, 0));
    EXPECT_FALSE(actionForType(layout, list, 0, DragStrip, {}, {}, 0, 0));
}

TEST(TrimTimeline, AddAndDelete)
{
    const MovieTrimItemList list = trims({{2, 5}, {8, 12}});
    struct Row
    {
        const char *name;
        double at;
        bool added;
        int index;
    };
    const Row rows[] = {
        {"before every trim inserts at 0", 0.5, true, 0},
        {"between trims", 6.0, true, 1},
        {"after every trim appends", 15.0, true, 2},
        {"exactly at a start does nothing", 8.0, false, 0},
        {"exactly at a stop does nothing", 5.0, false, 0},
        {"inside a trim does nothing", 10.0, false, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = addTrim(list, int64_t(row.at * kSecond));
        ASSERT_EQ(bool(result), row.added);
        if (!result)
            continue;
        EXPECT_EQ(result->trims.size(), 3);
        EXPECT_EQ(result->selectedTrimIndex, row.index);
        const MovieTrimItem &added = *result->trims[row.index];
        EXPECT_DOUBLE_EQ(added.start(), row.at);
        EXPECT_DOUBLE_EQ(added.duration(), 1.0);
        EXPECT_DOUBLE_EQ(added.fadeIn(), 0.0);
        EXPECT_DOUBLE_EQ(added.fadeOut(), 0.0);
    }
    EXPECT_EQ(list.size(), 2) << "the clip's list stays as it was";

    MovieTrimItemList full;
    for (int i = 0; i < kMaxTrimCount; ++i)
        full.append(MovieTrimItem::item(i * 2.0, 1.0));
    EXPECT_FALSE(addTrim(full, int64_t(kMaxTrimCount * 2.0 * kSecond))) << "at the limit";

    const auto removed = deleteSelectedTrim(list, 0);
    ASSERT_TRUE(removed);
    ASSERT_EQ(removed->size(), 1);
    EXPECT_DOUBLE_EQ(removed->first()->start(), 8.0);
    EXPECT_FALSE(deleteSelectedTrim(list, kNoSelection));
    EXPECT_FALSE(deleteSelectedTrim(list, 9999));
}

} // namespace
