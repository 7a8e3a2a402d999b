#pragma once

// The chapter timeline's geometry apart from its widget: the content rectangle, the mapping
// between engine time (show time) and x, the marker buttons and the hit test. Coordinates are the
// view's, y up (the widget flips once when it paints and takes presses). Pure; any thread.

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstdint>

struct ChapterTimelineGeometry
{
    // The view's bounds, y up.
    QRectF bounds;
    // Height of the bar picture.
    double barHeight = 0.0;
    // Size of a marker button.
    QSizeF markerSize = QSizeF(26, 26);
    // Length of the timeline, engine time.
    qint64 duration = 100;

    enum class Hit {
        Bar = 0,
        Marker = 1,
        Nothing = 2,
    };

    // The bounds inset by 10 left and right and 5 top and bottom.
    QRectF contentRect() const;
    // The bar's centre line.
    double centreY() const;
    // ((x - C.x) / C.width) x duration, truncated and not limited; 0 while the content has no
    // width, where no time can be told apart.
    qint64 pointToTime(double x) const;
    // C.x + min(t, duration) / max(duration, 1) x C.width; not limited below.
    double timeToPoint(qint64 t) const;
    // The marker button at x: centred on x, its top edge on the bar's bottom edge.
    QRectF markerButtonRect(double x) const;
    // The area where a press counts as one on the bar.
    QRectF barHitRect() const;
    // Where point hits: the bar first, then the marker buttons at markerTimes in order (the index
    // of the first that contains it goes to markerIndex), else nothing. Lower edges in, upper out.
    Hit hitTest(QPointF point, const QList<qint64> &markerTimes, qsizetype *markerIndex) const;
    // The seek time of a press or drag on the bar at x: pointToTime limited to [0, duration].
    qint64 barTimeAt(double x) const;
    // The time a marker dragged from base by the mouse moving from pressX to x asks for.
    qint64 dragTime(qint64 base, double pressX, double x) const;
};
