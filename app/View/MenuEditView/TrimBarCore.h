#pragma once

// The geometry and hit testing shared by the music and the warning trim bars: a bar across the
// view with a kept segment, a play position and two trim handles hanging below its centre line.
// Plain values, no widgets, so that both bars and their tests share one reckoning. Any thread.

#include <QRectF>
#include <QSizeF>
#include <cstdint>

namespace Discwright::TrimBarCore {

// What a press on the bar drags, fixed at the press for the whole drag.
enum class DragType { LeftTrim = 1, RightTrim = 2, Seek = 3, Nothing = 4 };

struct BarState
{
    QRectF bounds;         // the view's bounds, y up
    int64_t duration = 0;  // length of the whole file, engine time
    int64_t trimStart = 0; // engine time
    int64_t trimStop = 0;  // engine time
    int64_t currentTime = 0;
    QSizeF leftHandleSize;  // of "player_trim_left"
    QSizeF rightHandleSize; // of "player_trim_right"
};

// The bounds inset by 10 points left and right and 5 top and bottom; never narrower than 0.
QRectF contentRect(const QRectF &bounds);
double timeToPoint(const BarState &bar, int64_t time);
int64_t pointToTime(const BarState &bar, double x);
QRectF leftTrimIconRect(const BarState &bar);
QRectF rightTrimIconRect(const BarState &bar);
QRectF seekBandRect(const BarState &bar);
QRectF keptSegmentRect(const BarState &bar);
QRectF playedPartRect(const BarState &bar);
// Handles first (left over right), then the seek band; handles only when handlesHit.
DragType drayTypeAtPoint(const BarState &bar, QPointF point, bool handlesHit);
// The time a seek at x goes to: clamped to [0, duration].
int64_t seekTimeAtPoint(const BarState &bar, double x);
// The time a handle dragged by xOffset from its stored position asks for (not clamped).
int64_t handleTimeForOffset(const BarState &bar, DragType handle, double xOffset);

} // namespace Discwright::TrimBarCore
