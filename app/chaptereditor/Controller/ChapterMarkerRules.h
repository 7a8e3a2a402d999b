#pragma once

// The chapter editor's rules over a clip's markers, apart from any window: the two clocks of a
// clip (origin time in the source file, show time on the trimmed timeline), which markers are
// listed, where a marker may be added or moved to, the points that previous and next walk, the
// playhead nudge and the times of automatic chapters. All times are engine time (microseconds).
// Pure functions over the values passed in, except refreshMarkers, which writes the markers it is
// given; the chapter editor calls them on the main thread.

#include "app/AppExtention/Convert/MarkerItem.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"

#include <QList>
#include <cstdint>
#include <optional>

namespace ChapterMarkerRules {

// One second of engine time.
constexpr qint64 kSecond = 1000000;
// Markers closer than this to the one before them, or to the end, are not listed.
constexpr qint64 kHideDistance = 10000;

// The summed durationTime of the kept segments.
qint64 totalDuration(const MovieTrimItemList &segments);

// Show time of origin time o: inside a kept segment its place on the trimmed timeline, in a
// cut-away stretch the start of the next kept segment; o itself when no segment reaches it. Never
// more than the total.
qint64 showTimeForOrigin(qint64 origin, const MovieTrimItemList &segments);

// Origin time of show time r: the segment whose start + the remainder lies strictly before its
// stop takes it, so the exact end of a segment maps to the start of the next. None at or after
// the total.
std::optional<qint64> originTimeForShow(qint64 show, const MovieTrimItemList &segments);

// Every marker's show time from its origin time, then its visibility: hidden when it lies less
// than kHideDistance after the one before it (shown or not; the first after 0) or before the
// total. Answers the total.
qint64 refreshMarkers(const MarkerItemList &markers, const MovieTrimItemList &segments);

// Whether a marker may be added at c: false when c lies strictly within one second of any point
// (the start, every shown marker, the end).
bool mayAddAt(qint64 c, const QList<qint64> &points);

// Where a marker of origin time o goes in the sorted list: after every marker of an equal or
// smaller origin time.
qsizetype insertionIndex(const MarkerItemList &markers, qint64 origin);

// The time a marker moved to t takes between its neighbours previous and next (show times): at
// least one second after previous and at most one second before next, the upper bound winning
// when they cross. None when the neighbours are one second apart or less: any such time would put
// the marker on or before previous and break the list's order, so the marker keeps its time.
std::optional<qint64> clampedMoveTime(qint64 t, qint64 previous, qint64 next);

// The point that previous goes to from c, over ascending points (start, shown markers, end): the
// first point itself at it, the start of the chapter c lies in, the point before a marker c is on,
// the point before the last past the end. None below 0 or without points.
std::optional<qint64> previousPointTime(qint64 c, const QList<qint64> &points);
// The first point strictly after c; none when there is none.
std::optional<qint64> nextPointTime(qint64 c, const QList<qint64> &points);

// The playhead 0.05 s back (direction -1) or forward (+1) from c, limited to [0, duration].
qint64 nudgedTime(qint64 c, qint64 duration, int direction);

// The automatic interval in whole seconds: the tag in minutes, or for tag 0 the custom seconds
// truncated toward zero.
int intervalSeconds(int tag, double customSeconds);
// Automatic chapters need an interval of at least one second.
bool isUsableInterval(int seconds);
// The show times of automatic chapters every intervalSeconds up to and including the total less
// one second; empty for an interval under one second (which would never end).
QList<qint64> automaticTimes(double totalSeconds, int intervalSeconds);

} // namespace ChapterMarkerRules
