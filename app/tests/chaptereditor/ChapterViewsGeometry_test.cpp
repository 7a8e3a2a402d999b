// The chapter timeline's time mapping and hit test, and the tiles' typed time and column layout,
// without a window.

#include "app/chaptereditor/View/ChapterTileLayout.h"
#include "app/chaptereditor/View/ChapterTimelineGeometry.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 s = 1000000;

// A 420 x 60 timeline of 100 s with a bar 8 high: the content runs from x 10 to 410, its centre
// line at y 30.
ChapterTimelineGeometry timeline(qint64 duration = 100 * s, double width = 420)
{
    ChapterTimelineGeometry g;
    g.bounds = QRectF(0, 0, width, 60);
    g.barHeight = 8;
    g.duration = duration;
    return g;
}

TEST(ChapterTimelineGeometry, TimeAndPoint)
{
    const auto g = timeline();
    EXPECT_EQ(g.contentRect(), QRectF(10, 5, 400, 50));
    EXPECT_DOUBLE_EQ(g.timeToPoint(0), 10);
    EXPECT_DOUBLE_EQ(g.timeToPoint(50 * s), 210);
    EXPECT_DOUBLE_EQ(g.timeToPoint(200 * s), 410) << "limited to the duration";
    EXPECT_EQ(g.pointToTime(210), 50 * s);
    EXPECT_EQ(g.pointToTime(0), -25 * s / 10) << "not limited";
    // A press left of the bar seeks to 0, right of it to the duration.
    EXPECT_EQ(g.barTimeAt(6), 0);
    EXPECT_EQ(g.barTimeAt(414), 100 * s);
    EXPECT_EQ(g.dragTime(20 * s, 100, 140), 30 * s);

    // With duration 0 everything sits at the bar's left end and every press seeks to 0.
    const auto empty = timeline(0);
    EXPECT_DOUBLE_EQ(empty.timeToPoint(5 * s), 10);
    EXPECT_EQ(empty.barTimeAt(300), 0);

    // A view no wider than its insets has no time mapping: no division by a width of 0.
    for (const double width : {20.0, 10.0, 0.0}) {
        SCOPED_TRACE(width);
        const auto narrow = timeline(100 * s, width);
        EXPECT_EQ(narrow.pointToTime(15), 0);
        EXPECT_EQ(narrow.barTimeAt(15), 0);
        EXPECT_EQ(narrow.dragTime(7 * s, 5, 50), 7 * s);
        EXPECT_DOUBLE_EQ(narrow.timeToPoint(50 * s), 10);
    }
}

TEST(ChapterTimelineGeometry, HitTest)
{
    const auto g = timeline();
    // Marker buttons hang below the bar: 26 x 26, top edge on the bar's bottom (y 26).
    EXPECT_EQ(g.markerButtonRect(210), QRectF(197, 0, 26, 26));
    const QList<qint64> markers{50 * s, 75 * s};
    struct Row
    {
        const char *name;
        QPointF point;
        ChapterTimelineGeometry::Hit hit;
        qsizetype index;
    };
    using Hit = ChapterTimelineGeometry::Hit;
    const Row rows[] = {
        {"on the bar", {100, 30}, Hit::Bar, -1},
        {"5 points left of the bar", {5, 30}, Hit::Bar, -1},
        {"just past 5 points right of the bar", {415, 30}, Hit::Nothing, -1},
        {"1.5 H below the centre line", {100, 18}, Hit::Bar, -1},
        {"just under 2.5 H above it", {100, 49.9}, Hit::Bar, -1},
        {"2.5 H above it is outside", {100, 50}, Hit::Nothing, -1},
        {"where the bar's area overlaps a button the bar wins", {210, 20}, Hit::Bar, -1},
        {"a marker button", {210, 10}, Hit::Marker, 0},
        {"the second marker's button", {310, 0}, Hit::Marker, 1},
        {"below the buttons, between them", {260, 10}, Hit::Nothing, -1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        qsizetype index = -1;
        EXPECT_EQ(g.hitTest(row.point, markers, &index), row.hit);
        EXPECT_EQ(index, row.index);
    }
}

TEST(ChapterTileLayout, TypedTimes)
{
    struct Row
    {
        const char *text;
        double seconds;
    };
    const Row rows[] = {
        {"01:02:03.5", 3723.5},
        {"00:00:05", 5.0},
        {"00:00:05.000", 5.0},
        {"1:30", 90.0},
        {"90", 90.0},
        {"1:2:3:4", 0.0},
        {"", 0.0},
        {"abc", 0.0},
        {"12abc", 12.0},
        {" 7", 7.0},
        {"00:1x:02", 62.0},
        {"inf", 0.0},
        {"0x10", 0.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_DOUBLE_EQ(ChapterTileLayout::stringToSecond(QString::fromUtf8(row.text)),
                         row.seconds);
    }
}

TEST(ChapterTileLayout, ColumnFillsTheScrollViewOrGrows)
{
    EXPECT_EQ(ChapterTileLayout::columnHeight(300, 0), 300);
    EXPECT_EQ(ChapterTileLayout::columnHeight(300, 3), 300);
    EXPECT_EQ(ChapterTileLayout::columnHeight(300, 4), 320);
    EXPECT_EQ(ChapterTileLayout::columnHeight(300, 20), 1600);
    EXPECT_EQ(ChapterTileLayout::tileFrame(2, 340), QRectF(0, 160, 340, 80));
}

} // namespace
