#include "app/chaptereditor/View/ChapterTimelineGeometry.h"

#include <algorithm>

QRectF ChapterTimelineGeometry::contentRect() const
{
    return bounds.adjusted(10, 5, -10, -5);
}

double ChapterTimelineGeometry::centreY() const
{
    const QRectF c = contentRect();
    return c.y() + c.height() / 2.0;
}

qint64 ChapterTimelineGeometry::pointToTime(double x) const
{
    const QRectF c = contentRect();
    if (c.width() <= 0.0)
        return 0;
    return qint64((x - c.x()) / c.width() * double(duration));
}

double ChapterTimelineGeometry::timeToPoint(qint64 t) const
{
    const QRectF c = contentRect();
    return c.x()
           + double(std::min(t, duration)) / std::max(double(duration), 1.0)
                 * std::max(c.width(), 0.0);
}

QRectF ChapterTimelineGeometry::markerButtonRect(double x) const
{
    const double w = markerSize.width();
    const double h = markerSize.height();
    return QRectF(x - w / 2.0, centreY() - barHeight / 2.0 - h, w, h);
}

QRectF ChapterTimelineGeometry::barHitRect() const
{
    const QRectF c = contentRect();
    const double y0 = centreY();
    return QRectF(c.x() - 5.0, y0 - 1.5 * barHeight, c.width() + 10.0, 4.0 * barHeight);
}

namespace {

// Lower edges in, upper edges out.
bool contains(const QRectF &r, QPointF p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

} // namespace

ChapterTimelineGeometry::Hit ChapterTimelineGeometry::hitTest(QPointF point,
                                                              const QList<qint64> &markerTimes,
                                                              qsizetype *markerIndex) const
{
    if (contains(barHitRect(), point))
        return Hit::Bar;
    for (qsizetype i = 0; i < markerTimes.size(); ++i) {
        if (contains(markerButtonRect(timeToPoint(markerTimes[i])), point)) {
            if (markerIndex)
                *markerIndex = i;
            return Hit::Marker;
        }
    }
    return Hit::Nothing;
}

qint64 ChapterTimelineGeometry::barTimeAt(double x) const
{
    return std::min(std::max<qint64>(pointToTime(x), 0), duration);
}

qint64 ChapterTimelineGeometry::dragTime(qint64 base, double pressX, double x) const
{
    const QRectF c = contentRect();
    if (c.width() <= 0.0)
        return base;
    return base + qint64((x - pressX) / c.width() * double(duration));
}
