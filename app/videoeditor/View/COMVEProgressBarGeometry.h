#pragma once

// The trim timeline's rules without a widget: where a time sits on the strip and back, the hit
// test of a click, one step of a handle drag, and the list edits of Add and Delete. The widget
// (COMVEProgressBarView) keeps the measures up to date, asks these functions and hands the lists
// they build to the clip; nothing here changes a list in place.
//
// Coordinates are the view's own, y up (the widget flips once in its painter and its mouse
// mapping). Times are engine time (microseconds). Plain values: any thread, no shared state.

#include "app/AppExtention/Convert/MovieTrimItem.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <optional>

namespace COMVEProgressBarGeometry {

// The selection value for none; every index from kMaxTrimCount on counts as none.
constexpr int kNoSelection = 10000;
constexpr int kMaxTrimCount = 9999;

inline bool isNoSelection(int index)
{
    return index >= kMaxTrimCount;
}

enum DragType {
    DragStrip = 0,
    DragLeftHandle = 1,
    DragRightHandle = 2,
    DragNothing = 3,
};

// What a timeline measures with: its bounds, its duration and the sizes of its images (the strip's
// height bh sets every vertical measure).
struct Layout
{
    QRectF bounds;
    int64_t durationUs = 100;
    double stripHeight = 10.0;
    QSizeF leftHandleSize{8.0, 12.0};
    QSizeF rightHandleSize{8.0, 12.0};

    // bounds inset by 10 left and right, 5 top and bottom.
    QRectF contentRect() const;
    double middleY() const { return contentRect().center().y(); }

    // C.minX + min(t, duration) / max(duration, 1) x C.width; no lower clamp.
    float timeToPoint(int64_t t) const;
    // (x - C.minX) / C.width x duration, truncated toward zero; 0 for a strip without width.
    int64_t pointToTime(float x) const;
    // The width of one second (the whole width for a timeline shorter than a second).
    float minTrimWidth() const;

    QRectF leftTrimButtonRect(float xs) const;
    QRectF rightTrimButtonRect(float xe) const;
    QRectF centerTrimRect(float xs, float xe) const;
    // The strip's click zone: C's x range widened by 5, the centre line widened by 1.4 x bh.
    QRectF stripZone() const;
};

struct HitResult
{
    DragType type = DragNothing;
    // The selection after the click.
    int selectedTrimIndex = kNoSelection;
};

// The hit test of a click at p with the selection at selected.
HitResult
drayTypeAtPoint(const Layout &layout, const MovieTrimItemList &trims, int selected, QPointF p);

// The time a click on the strip seeks to: pointToTime clamped to [0, duration].
int64_t seekTimeForPoint(const Layout &layout, float x);

struct DragStep
{
    MovieTrimItemList trims;
    int64_t currentTimeUs = 0;
};

// One step of a handle drag of the selected trim: down is the mouse-down point, now the current
// one, xs and xe the trim's edges taken at mouse-down. The neighbour's bound wins over the one
// second minimum. Nothing for a strip click or no selected trim.
std::optional<DragStep> actionForType(const Layout &layout,
                                      const MovieTrimItemList &trims,
                                      int selected,
                                      DragType type,
                                      QPointF down,
                                      QPointF now,
                                      float xs,
                                      float xe);

struct AddResult
{
    MovieTrimItemList trims;
    int selectedTrimIndex = kNoSelection;
};

// A one second trim at currentTimeUs, inserted in order and selected; nothing at the count limit
// or when the start lies within a trim (both ends included).
std::optional<AddResult> addTrim(const MovieTrimItemList &trims, int64_t currentTimeUs);

// The list without the selected trim; nothing without a selection.
std::optional<MovieTrimItemList> deleteSelectedTrim(const MovieTrimItemList &trims, int selected);

} // namespace COMVEProgressBarGeometry
