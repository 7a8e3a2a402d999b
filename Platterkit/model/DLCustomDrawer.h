#pragma once

#include <QRectF>
#include <QtGlobal>

class QPainter;

/**
 * A custom page background (the application's slideshow) that draws itself into a rectangle of the
 * page. The painter's coordinates are the page's; the caller flips y at the drawing edge.
 */
class DLCustomDrawer
{
public:
    virtual ~DLCustomDrawer() = default;

    virtual void drawInRect(QPainter *painter, const QRectF &rect) = 0;
    virtual void drawInRectAtTime(QPainter *painter, const QRectF &rect, qint64 timeUs) = 0;
};
