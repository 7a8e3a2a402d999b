#pragma once

// The decisions of the menu canvas as plain functions over menu space (points, y up): hit tests
// of item bodies and corner handles, the resize rules, the bounding box of a selection, snapping
// to the lines of other items and the keyboard's alignment guides, the nudge at the page edge and
// the fit of a page into the canvas widget. ShapeView and CanvasBgView offer them under their own
// names; tests drive them without a display. Pure functions; any thread.
//
// In a QRectF here y() is the rectangle's minimum y (its bottom on screen) and y() + height() its
// maximum y.

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace CanvasGeometry {

// What a press on the canvas does: 0 nothing hit, 1 upper left corner, 2 upper right, 3 lower
// left, 4 lower right, 5 move.
enum DragType : unsigned {
    DragNone = 0,
    DragUpperLeft,
    DragUpperRight,
    DragLowerLeft,
    DragLowerRight,
    DragMove
};

inline bool isCorner(unsigned type)
{
    return type >= DragUpperLeft && type <= DragLowerRight;
}

// The margin of an item's body within which a press still hits it.
constexpr double kHitMargin = 16.0;
// How far outside the frame the selection outline and the handle centres lie.
constexpr double kHandleOutset = 8.0;
constexpr double kHandleSize = 16.0;
constexpr double kMinResizeLength = 30.0;
constexpr double kSnapDistance = 10.0;
constexpr double kGuideDistance = 1.0;
constexpr double kKeyGuideDistance = 0.5;

// --- Handles and hit tests ---------------------------------------------------------------------
// The handle centre of a corner type: the frame's corner outset by 8 points; the frame's centre
// for any other type.
QPointF dragTypeCenterPoint(unsigned type, const QRectF &frame);
// The 16 x 16 square around a corner's handle centre; the frame itself for type 5; an empty
// rectangle otherwise.
QRectF makeRectForDragType(unsigned type, const QRectF &frame);
// The first of the types 1, 2, 3, 4, 5 whose area holds point; 0 when none does.
unsigned dragTypeForFrame(QPointF point, const QRectF &frame);

struct HandleHit
{
    // Index into the frames given; -1 when nothing was hit.
    int index = -1;
    unsigned type = DragNone;
};
struct SelectedFrame
{
    QRectF frame;
    // Static texts are only ever moved: any hit on one counts as a move.
    bool staticText = false;
};
// The handle and body hit test over the selection, in selection order: the first item with any
// area holding point decides.
HandleHit pointHitDragType(QPointF point, const QList<SelectedFrame> &selection);

// The first frame (list order) whose body, outset by 16 points, holds point; -1 for none.
int firstHitIndex(QPointF point, const QList<QRectF> &frames);
// The same walking from the last frame to the first.
int lastHitIndex(QPointF point, const QList<QRectF> &frames);

// Whether a rubber band selects a frame: they must overlap in area; touching is not enough.
bool bandSelects(const QRectF &band, const QRectF &frame);

// --- Resizing ------------------------------------------------------------------------------------
// Resize about the centre of oldFrame, the scale following the horizontal motion delta alone and
// held within [minScale, maxScale] (the minimum winning when they cross).
QRectF resizeKeepProportion(
    unsigned type, QPointF delta, const QRectF &oldFrame, float minScale, float maxScale);
// The dragged corner follows the mouse, keeps 30 points from the fixed opposite corner on each
// axis, and stays inside menuRect (which wins over the 30-point minimum).
QRectF resizeFree(unsigned type, QPointF delta, const QRectF &oldFrame, const QRectF &menuRect);
// One tracking step: the bounding rectangle moved for type 5, else the resize of oldFrame.
QRectF dragStep(unsigned type,
                QPointF delta,
                const QRectF &bounds,
                const QRectF &oldFrame,
                bool keepProportion,
                float minScale,
                float maxScale,
                const QRectF &menuRect);

// Zoom limits of a title item: the width never below 30 points, and no scaling about its centre
// that takes it out of menuRect. The title dialog uses the same two.
float getMinZoomWithMedia(const QRectF &frame);
float getMaxZoomWithMedia(const QRectF &frame, const QRectF &menuRect);

// The bounding rectangle of frames (single precision); the zero rectangle for none.
QRectF boundingRect(const QList<QRectF> &frames);

// --- Guides --------------------------------------------------------------------------------------
struct Guide
{
    bool on = false;
    QPointF point1;
    QPointF point2;
};
struct Guides
{
    // Untouched when the page has no other item: the flags keep whatever they held.
    bool touched = false;
    Guide vertical;
    Guide horizontal;
};
struct SnapResult
{
    QRectF frame;
    Guides guides;
};
// The candidate frame of one dragged item pulled onto the lines (edges and centres) of the other
// items, the first item within 10 points capturing each axis, then held inside menuRect. Guides
// show where the final frame lies within one point of its target's line.
SnapResult checkForDrawAuxiliaryLine(const QRectF &candidate,
                                     const QList<QRectF> &others,
                                     const QRectF &menuRect);
// After a nudge: guides where a line of frame lies within half a point of one of the others'; the
// frame itself is never moved.
Guides checkForDrawAuxiliaryLineForKeyEvent(const QRectF &frame, const QList<QRectF> &others);

// The offset that a nudge of the selection by step really applies: the step while the selection
// stays inside menuRect, less (or back inside) at its edge.
QPointF nudgeOffset(const QRectF &selectionBounds, QPointF step, const QRectF &menuRect);

// --- Fit -----------------------------------------------------------------------------------------
// Menu points to widget pixels (y down) for a page of menuSize shown as large as fits in a widget
// of widgetSize with at least 10 pixels of margin, centred.
QTransform menuTransform(QSizeF menuSize, QSizeF widgetSize);

} // namespace CanvasGeometry
