// The chapter editor's marker rules without a window: the two clocks, which markers are listed,
// where a marker may be added or moved, previous and next, the nudge and automatic chapters.

#include "app/chaptereditor/Controller/ChapterMarkerRules.h"

#include <gtest/gtest.h>

using namespace ChapterMarkerRules;

namespace {

constexpr qint64 s = kSecond;

MovieTrimItemList segmentsOf(std::initializer_list<std::pair<double, double>> bounds)
{
    MovieTrimItemList list;
    for (const auto &[start, stop] : bounds)
        list.append(MovieTrimItem::item(start, stop - start));
    return list;
}

MarkerItemList markersAt(std::initializer_list<qint64> origins)
{
    MarkerItemList list;
    for (const qint64 origin : origins) {
        auto marker = std::make_shared<MarkerItem>();
        marker->setMarkOriginTime(origin);
        list.append(marker);
    }
    return list;
}

TEST(ChapterMarkerRules, ClocksOfATrimmedClip)
{
    // The clip kept as [0, 10] + [20, 30]: 20 s on the trimmed timeline.
    const auto segments = segmentsOf({{0, 10}, {20, 30}});
    struct Row
    {
        const char *name;
        qint64 origin;
        qint64 show;
    };
    const Row rows[] = {
        {"in the first segment", 5 * s, 5 * s},
        {"at the first segment's stop", 10 * s, 10 * s},
        {"in the cut-away stretch goes to the next segment's start", 15 * s, 10 * s},
        {"in the second segment", 25 * s, 15 * s},
        {"past every segment is limited to the total", 40 * s, 20 * s},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(showTimeForOrigin(row.origin, segments), row.show);
    }
    struct Back
    {
        const char *name;
        qint64 show;
        std::optional<qint64> origin;
    };
    const Back backs[] = {
        {"start", 0, 0},
        {"inside the first", 4 * s, 4 * s},
        {"the exact end of a segment maps to the next one's start", 10 * s, 20 * s},
        {"inside the second", 15 * s, 25 * s},
        {"at the total none", 20 * s, std::nullopt},
    };
    for (const Back &row : backs) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(originTimeForShow(row.show, segments), row.origin);
    }
}

TEST(ChapterMarkerRules, WhichMarkersAreListed)
{
    const auto segments = segmentsOf({{10, 20}, {30, 60}});
    // Before the first segment (show 0, hidden), 5 ms after the next one (hidden), in a cut-away
    // stretch landing on an existing point, and at the end.
    const MarkerItemList markers
        = markersAt({5 * s, 15 * s, 15 * s + 5000, 25 * s, 35 * s, 60 * s});
    EXPECT_EQ(refreshMarkers(markers, segments), 40 * s);
    const bool shown[] = {false, true, false, true, true, false};
    const qint64 times[] = {0, 5 * s, 5 * s + 5000, 10 * s, 15 * s, 40 * s};
    for (int i = 0; i < markers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(markers[i]->canShow(), shown[i]);
        EXPECT_EQ(markers[i]->markShowTime(), times[i]);
    }
}

TEST(ChapterMarkerRules, AddIsAllowedOneSecondAwayFromEveryPoint)
{
    const QList<qint64> points{0, 10 * s, 20 * s};
    struct Row
    {
        const char *name;
        qint64 c;
        bool allowed;
    };
    const Row rows[] = {
        {"on the start", 0, false},
        {"0.999999 s after the start", 999999, false},
        {"exactly 1 s after the start", s, true},
        {"1 s before a marker", 9 * s, true},
        {"just before a marker's second", 9 * s + 1, false},
        {"in the last second", 19 * s + 500000, false},
        {"exactly 1 s before the end", 19 * s, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(mayAddAt(row.c, points), row.allowed);
    }
    // A clip shorter than 2 s never takes a marker.
    for (qint64 c = 0; c <= 1900000; c += 100000)
        EXPECT_FALSE(mayAddAt(c, {0, 1900000})) << c;
}

TEST(ChapterMarkerRules, InsertionKeepsTheOriginOrder)
{
    const MarkerItemList markers = markersAt({2 * s, 5 * s, 5 * s, 9 * s});
    EXPECT_EQ(insertionIndex(markers, 1 * s), 0);
    EXPECT_EQ(insertionIndex(markers, 5 * s), 3) << "after the equal ones";
    EXPECT_EQ(insertionIndex(markers, 10 * s), 4);
    EXPECT_EQ(insertionIndex({}, 10 * s), 0);
}

TEST(ChapterMarkerRules, MovesStopOneSecondBeforeTheNeighbours)
{
    struct Row
    {
        const char *name;
        qint64 t, previous, next;
        std::optional<qint64> moved;
    };
    const Row rows[] = {
        {"free", 5 * s, 0, 10 * s, 5 * s},
        {"past the next neighbour", 12 * s, 0, 10 * s, 9 * s},
        {"before the previous neighbour", 0, 3 * s, 10 * s, 4 * s},
        {"neighbours 1.5 s apart: the later one less 1 s", 5 * s, 0, 1500000, 500000},
        // Any place would be on or before the earlier neighbour: the marker keeps its time.
        {"neighbours exactly 1 s apart", 5 * s, 0, s, std::nullopt},
        {"neighbours 0.5 s apart", 5 * s, 2 * s, 2500000, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clampedMoveTime(row.t, row.previous, row.next), row.moved);
    }
}

TEST(ChapterMarkerRules, PreviousAndNextWalkThePoints)
{
    const QList<qint64> points{0, 10 * s, 20 * s, 30 * s};
    struct Row
    {
        const char *name;
        qint64 c;
        std::optional<qint64> previous, next;
    };
    const Row rows[] = {
        {"at the start", 0, 0, 10 * s},
        {"inside a chapter", 15 * s, 10 * s, 20 * s},
        {"on a marker", 20 * s, 10 * s, 30 * s},
        {"at the end", 30 * s, 20 * s, std::nullopt},
        {"past the end", 31 * s, 20 * s, std::nullopt},
        {"below 0", -1, std::nullopt, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(previousPointTime(row.c, points), row.previous);
        EXPECT_EQ(nextPointTime(row.c, points), row.next);
    }
    // Without markers: previous goes to 0, next to the end.
    EXPECT_EQ(previousPointTime(5 * s, {0, 8 * s}), 0);
    EXPECT_EQ(nextPointTime(5 * s, {0, 8 * s}), 8 * s);
}

TEST(ChapterMarkerRules, NudgeStaysOnTheTimeline)
{
    EXPECT_EQ(nudgedTime(s, 10 * s, +1), s + 50000);
    EXPECT_EQ(nudgedTime(s, 10 * s, -1), s - 50000);
    EXPECT_EQ(nudgedTime(20000, 10 * s, -1), 0);
    EXPECT_EQ(nudgedTime(10 * s - 1, 10 * s, +1), 10 * s);
}

TEST(ChapterMarkerRules, AutomaticChapters)
{
    struct Row
    {
        const char *name;
        double total;
        int tag;
        double custom;
        QList<qint64> times;
    };
    const Row rows[] = {
        {"150 s every minute", 150.0, 1, 0, {60 * s, 120 * s}},
        {"121 s every minute: the last one exactly 1 s before the end",
         121.0,
         1,
         0,
         {60 * s, 120 * s}},
        {"120.5 s every minute", 120.5, 1, 0, {60 * s}},
        {"custom 90.9 s is every 90 s", 200.0, 0, 90.9, {90 * s, 180 * s}},
        {"shorter than the interval and 1 s", 60.5, 1, 0, {}},
        {"custom 1 s", 3.0, 0, 1.0, {s, 2 * s}},
        {"custom 0.999999 s is refused", 100.0, 0, 0.999999, {}},
        {"custom 0.5 s is refused", 100.0, 0, 0.5, {}},
        {"custom 0 is refused", 100.0, 0, 0.0, {}},
        {"a negative custom interval is refused", 100.0, 0, -5.0, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(automaticTimes(row.total, intervalSeconds(row.tag, row.custom)), row.times);
    }
    EXPECT_EQ(intervalSeconds(30, 0), 1800);
    EXPECT_FALSE(isUsableInterval(intervalSeconds(0, 0.999999)));
    EXPECT_TRUE(isUsableInterval(intervalSeconds(0, 1.0)));
}

} // namespace
