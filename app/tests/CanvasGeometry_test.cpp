// The menu canvas's decisions without a display: handle and body hit tests, resizing with kept
// proportion and freely, the zoom limits, snapping with its guides, keyboard guides, the nudge at
// the page edge and the fit of a page into the canvas.

#include "app/AppExtention/Function/CanvasGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace CanvasGeometry;

const QRectF kPage169(0, 0, 854, 480);

void expectRect(const QRectF &actual, const QRectF &expected, double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

TEST(CanvasGeometry, HandleHitTests)
{
    const QRectF item(100, 100, 200, 100);
    struct Row
    {
        const char *name;
        QPointF point;
        bool staticText;
        unsigned type;
    };
    const Row rows[] = {
        {"upper left handle", {92, 208}, false, DragUpperLeft},
        {"upper right handle", {308, 208}, false, DragUpperRight},
        {"lower left handle", {92, 92}, false, DragLowerLeft},
        {"lower right handle", {308, 92}, false, DragLowerRight},
        {"inside", {150, 150}, false, DragMove},
        {"far away", {500, 400}, false, DragNone},
        {"a static text's corner only moves", {92, 208}, true, DragMove},
        {"a handle's square edge", {100, 216}, false, DragUpperLeft},
        {"just past the handle square", {83.9, 208}, false, DragNone},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const HandleHit hit = pointHitDragType(row.point, {{item, row.staticText}});
        EXPECT_EQ(hit.type, row.type);
        EXPECT_EQ(hit.index, row.type == DragNone ? -1 : 0);
    }
}

TEST(CanvasGeometry, HandlesLieOutsideTheFrame)
{
    const QRectF f(10, 20, 100, 50);
    expectRect(makeRectForDragType(DragUpperLeft, f), QRectF(-6, 70, 16, 16));
    expectRect(makeRectForDragType(DragLowerRight, f), QRectF(110, 4, 16, 16));
    expectRect(makeRectForDragType(DragMove, f), f);
    EXPECT_TRUE(makeRectForDragType(DragNone, f).isEmpty());
}

TEST(CanvasGeometry, HandleHitTakesTheFirstSelectedItem)
{
    // Two selected items sharing a corner area: the one earlier in the selection decides.
    const QList<SelectedFrame> selection{{QRectF(100, 100, 50, 50), false},
                                         {QRectF(160, 100, 50, 50), false}};
    const HandleHit hit = pointHitDragType(QPointF(155, 155), selection);
    EXPECT_EQ(hit.index, 0);
    EXPECT_EQ(hit.type, DragUpperRight);
}

TEST(CanvasGeometry, ItemHitOrderAndMargin)
{
    const QList<QRectF> frames{QRectF(100, 100, 100, 100), QRectF(150, 150, 100, 100)};
    // Overlap: a plain click takes the later item, a Command-click the earlier one.
    EXPECT_EQ(lastHitIndex(QPointF(175, 175), frames), 1);
    EXPECT_EQ(firstHitIndex(QPointF(175, 175), frames), 0);
    // The 16-point margin counts; 17 points out misses.
    EXPECT_EQ(lastHitIndex(QPointF(90, 120), frames), 0);
    EXPECT_EQ(lastHitIndex(QPointF(83, 120), frames), -1);
    EXPECT_EQ(firstHitIndex(QPointF(600, 400), frames), -1);
}

TEST(CanvasGeometry, BandNeedsAnOverlap)
{
    const QRectF item(100, 100, 50, 50);
    EXPECT_FALSE(bandSelects(QRectF(50, 50, 50, 50), item)) << "touching corner";
    EXPECT_FALSE(bandSelects(QRectF(150, 100, 20, 20), item)) << "touching edge";
    EXPECT_TRUE(bandSelects(QRectF(140, 140, 20, 20), item));
    EXPECT_FALSE(bandSelects(QRectF(), item)) << "no band";
}

TEST(CanvasGeometry, ResizeWithKeptProportion)
{
    struct Row
    {
        const char *name;
        unsigned type;
        QPointF delta;
        QRectF old;
        QRectF expected;
    };
    const Row rows[] = {
        {"left corner 40 right: raised to the 30-point minimum, same centre",
         DragUpperLeft,
         {40, 0},
         {100, 100, 100, 50},
         {135, 117.5, 30, 15}},
        {"upper right 20 right grows about the centre",
         DragUpperRight,
         {20, 0},
         {300, 200, 200, 100},
         {280, 190, 240, 120}},
        {"vertical motion alone changes nothing",
         DragLowerRight,
         {0, 35},
         {300, 200, 200, 100},
         {300, 200, 200, 100}},
        {"lower left 10 left widens by 20",
         DragLowerLeft,
         {-10, 0},
         {300, 200, 200, 100},
         {290, 195, 220, 110}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const float minScale = getMinZoomWithMedia(row.old);
        const float maxScale = getMaxZoomWithMedia(row.old, kPage169);
        expectRect(resizeKeepProportion(row.type, row.delta, row.old, minScale, maxScale),
                   row.expected);
    }
}

TEST(CanvasGeometry, KeptProportionStopsAtTheMaximumZoom)
{
    // Centre (150, 125): 150 points to the left edge over half a width of 50 gives 3.
    const QRectF item(100, 100, 100, 50);
    EXPECT_FLOAT_EQ(getMinZoomWithMedia(item), 0.3f);
    EXPECT_FLOAT_EQ(getMaxZoomWithMedia(item, kPage169), 3.0f);
    expectRect(resizeKeepProportion(DragUpperRight, QPointF(500, 0), item, 0.3f, 3.0f),
               QRectF(0, 50, 300, 150));
    // Minimum above maximum (a narrow item at the edge): the minimum wins, the clamp moves it in.
    const QRectF narrow(0, 100, 20, 20);
    EXPECT_GT(getMinZoomWithMedia(narrow), getMaxZoomWithMedia(narrow, kPage169));
    const QRectF grown = dragStep(DragUpperRight,
                                  QPointF(0, 0),
                                  narrow,
                                  narrow,
                                  true,
                                  getMinZoomWithMedia(narrow),
                                  getMaxZoomWithMedia(narrow, kPage169),
                                  kPage169);
    expectRect(grown, QRectF(0, 95, 30, 30));
}

TEST(CanvasGeometry, FreeResize)
{
    const QRectF item(100, 100, 200, 100);
    struct Row
    {
        const char *name;
        unsigned type;
        QPointF delta;
        QRectF expected;
    };
    const Row rows[] = {
        {"lower right follows the mouse", DragLowerRight, {50, -30}, {100, 70, 250, 130}},
        {"upper left past the opposite corner stops at 30 x 30",
         DragUpperLeft,
         {300, -300},
         {270, 100, 30, 30}},
        {"beyond the left edge stays at x 0", DragUpperLeft, {-150, 0}, {0, 100, 300, 100}},
        {"upper right above the page stays at its top",
         DragUpperRight,
         {0, 400},
         {100, 100, 200, 380}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        expectRect(resizeFree(row.type, row.delta, item, kPage169), row.expected);
    }
    // An item partly off the page: its dragged corner comes back inside at the first event.
    expectRect(resizeFree(DragLowerRight, QPointF(0, 0), QRectF(800, 100, 100, 50), kPage169),
               QRectF(800, 100, 54, 50));
}

TEST(CanvasGeometry, GroupMoveStopsAtThePageEdge)
{
    const QRectF bounds = boundingRect({QRectF(100, 100, 50, 50), QRectF(700, 300, 100, 100)});
    expectRect(bounds, QRectF(100, 100, 700, 300));
    const QRectF moved = dragStep(DragMove, QPointF(200, 0), bounds, {}, true, 0, 0, kPage169);
    expectRect(moved, QRectF(154, 100, 700, 300));
    EXPECT_TRUE(boundingRect({}).isNull());
}

TEST(CanvasGeometry, Snapping)
{
    const QRectF target(100, 300, 100, 50);
    struct Row
    {
        const char *name;
        QRectF candidate;
        QList<QRectF> others;
        QRectF expected;
        bool vertical;
        QPointF v1, v2;
        bool horizontal;
        QPointF h1, h2;
    };
    const Row rows[] = {
        {"left edge 9 points off snaps by its left edge, not its centre",
         {91, 100, 20, 20},
         {target},
         {100, 100, 20, 20},
         true,
         {100, 100},
         {100, 350},
         false,
         {},
         {}},
        {"a 10.0 gap snaps",
         {70, 100, 20, 20},
         {target},
         {80, 100, 20, 20},
         true,
         {100, 100},
         {100, 350},
         false,
         {},
         {}},
        {"a 10.5 gap does not, and the guide is off",
         {69.5, 100, 20, 20},
         {target},
         {69.5, 100, 20, 20},
         false,
         {},
         {},
         false,
         {},
         {}},
        {"the earlier item in the list wins though the later is nearer",
         {91, 100, 20, 20},
         {target, QRectF(95, 400, 50, 50)},
         {100, 100, 20, 20},
         true,
         {100, 100},
         {100, 350},
         false,
         {},
         {}},
        {"two axes to two items, two guides",
         {91, 205, 20, 20},
         {target, QRectF(400, 200, 50, 50)},
         {100, 215, 20, 20},
         true,
         {100, 215},
         {100, 350},
         true,
         {100, 225},
         {450, 225}},
        {"a snap over the page edge is clamped back; the guide follows the clamped frame",
         {834, 300, 20, 20},
         {QRectF(844, 100, 10, 50)},
         {834, 300, 20, 20},
         true,
         {844, 100},
         {844, 320},
         false,
         {},
         {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const SnapResult snap = checkForDrawAuxiliaryLine(row.candidate, row.others, kPage169);
        expectRect(snap.frame, row.expected);
        EXPECT_TRUE(snap.guides.touched);
        EXPECT_EQ(snap.guides.vertical.on, row.vertical);
        if (row.vertical) {
            EXPECT_EQ(snap.guides.vertical.point1, row.v1);
            EXPECT_EQ(snap.guides.vertical.point2, row.v2);
        }
        EXPECT_EQ(snap.guides.horizontal.on, row.horizontal);
        if (row.horizontal) {
            EXPECT_EQ(snap.guides.horizontal.point1, row.h1);
            EXPECT_EQ(snap.guides.horizontal.point2, row.h2);
        }
        EXPECT_TRUE(kPage169.contains(snap.frame));
    }
    // Alone on its page: no snap, and the guides keep whatever they held.
    const SnapResult alone = checkForDrawAuxiliaryLine(QRectF(91, 100, 20, 20), {}, kPage169);
    expectRect(alone.frame, QRectF(91, 100, 20, 20));
    EXPECT_FALSE(alone.guides.touched);
}

TEST(CanvasGeometry, KeyboardGuides)
{
    const QRectF other(100, 300, 80, 50);
    struct Row
    {
        const char *name;
        QRectF frame;
        QList<QRectF> others;
        bool vertical;
        double x;
    };
    const Row rows[] = {
        {"left edge 0.4 from the other's", {100.4, 100, 50, 50}, {other}, true, 100},
        {"0.6 shows none", {100.6, 100, 50, 50}, {other}, false, 0},
        {"right edge on the other's centre", {90, 100, 50, 50}, {other}, true, 140},
        {"the first aligned candidate wins though a later is closer",
         {100.4, 100, 50, 50},
         {other, QRectF(100.4, 400, 10, 10)},
         true,
         100},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Guides g = checkForDrawAuxiliaryLineForKeyEvent(row.frame, row.others);
        EXPECT_TRUE(g.touched);
        EXPECT_EQ(g.vertical.on, row.vertical);
        if (row.vertical) {
            EXPECT_DOUBLE_EQ(g.vertical.point1.x(), row.x);
            EXPECT_DOUBLE_EQ(g.vertical.point1.y(), 100);
            EXPECT_DOUBLE_EQ(g.vertical.point2.y(), 350);
        }
        EXPECT_FALSE(g.horizontal.on);
    }
    EXPECT_FALSE(checkForDrawAuxiliaryLineForKeyEvent(QRectF(0, 0, 10, 10), {}).touched);
}

TEST(CanvasGeometry, NudgeAtThePageEdge)
{
    struct Row
    {
        const char *name;
        QRectF bounds;
        QPointF step;
        QPointF offset;
    };
    const Row rows[] = {
        {"inside: the step", {100, 100, 50, 50}, {1, 0}, {1, 0}},
        {"Up at the top edge: nothing", {100, 430, 50, 50}, {0, 1}, {0, 0}},
        {"Left at the left edge: nothing", {0, 100, 50, 50}, {-1, 0}, {0, 0}},
        {"a selection over the edge is pulled back", {-5, 100, 50, 50}, {-1, 0}, {5, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(nudgeOffset(row.bounds, row.step, kPage169), row.offset);
    }
}

TEST(CanvasGeometry, FitIntoTheCanvas)
{
    struct Row
    {
        const char *name;
        QSizeF page, widget;
        QPointF menu, pixel;
    };
    const Row rows[] = {
        {"16:9 at scale 1, origin", {854, 480}, {874, 500}, {0, 0}, {10, 490}},
        {"16:9 at scale 1, a point", {854, 480}, {874, 500}, {100, 100}, {110, 390}},
        {"4:3 centred", {640, 480}, {874, 500}, {0, 0}, {117, 490}},
        {"16:9 in a square: width less margins, centred vertically",
         {854, 480},
         {500, 500},
         {0, 480},
         {10, 250 - 240 * 480.0 / 854}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QPointF p = menuTransform(row.page, row.widget).map(row.menu);
        EXPECT_NEAR(p.x(), row.pixel.x(), 0.01);
        EXPECT_NEAR(p.y(), row.pixel.y(), 0.01);
    }
}

} // namespace
