#pragma once

#include <QList>
#include <QRectF>

/**
 * The arrows of a DVD menu page's remote: for every button, the button that Up, Down, Left and
 * Right move the highlight to. Without them spumux orders the buttons by its own rule, which can
 * leave buttons (a play button below a grid of titles, say) that no arrow ever reaches.
 *
 * A plain function of the button rectangles; callable from any thread.
 */
class MenuButtonNavigation
{
public:
    enum Direction { Up, Down, Left, Right };
    static constexpr int directionCount = 4;

    // The targets of one button's arrows, as indexes into the rectangles; an arrow with nowhere to
    // go holds the button's own index.
    struct Arrows
    {
        int target[directionCount] = {-1, -1, -1, -1};
        int up() const { return target[Up]; }
        int down() const { return target[Down]; }
        int left() const { return target[Left]; }
        int right() const { return target[Right]; }
    };

    // rects are the buttons' areas in picture pixels with y growing downwards, in button order.
    // Each arrow leads to the nearest button (distance between centres) whose centre lies in that
    // direction within a 45-degree cone either side, else to the nearest in that half-plane, ties
    // to the lower index. Then a button no arrow reaches is given one by its nearest neighbour, in
    // the direction that neighbour sees it, and any part of the page still cut off is joined the
    // same way, so that every button can be reached from every other.
    static QList<Arrows> arrowsForButtons(const QList<QRectF> &rects);

    // Whether every button can be reached from every other by following arrows.
    static bool everyButtonReachable(const QList<Arrows> &arrows);
    // The direction from a button centred at from towards one centred at to: along the axis with
    // the larger offset, the horizontal one on a tie; Down for the same centre.
    static Direction directionFromTo(QPointF from, QPointF to);
};
