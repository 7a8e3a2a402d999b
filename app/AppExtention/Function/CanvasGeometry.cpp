#include "app/AppExtention/Function/CanvasGeometry.h"

#include "app/AppExtention/Function/CanvasClamp.h"
#include "app/AppExtention/Function/RectGeometry.h"

#include <algorithm>
#include <cmath>

namespace CanvasGeometry {

namespace {

double minX(const QRectF &r)
{
    return r.x();
}
double maxX(const QRectF &r)
{
    return r.x() + r.width();
}
double midX(const QRectF &r)
{
    return r.x() + 0.5 * r.width();
}
double minY(const QRectF &r)
{
    return r.y();
}
double maxY(const QRectF &r)
{
    return r.y() + r.height();
}
double midY(const QRectF &r)
{
    return r.y() + 0.5 * r.height();
}

// The three lines of a rectangle on one axis: minimum, centre, maximum.
struct Lines
{
    double low, mid, high;
};
Lines xLines(const QRectF &r)
{
    return {minX(r), midX(r), maxX(r)};
}
Lines yLines(const QRectF &r)
{
    return {minY(r), midY(r), maxY(r)};
}

// The smallest distance from any of a's lines to v, in single precision.
float distanceTo(const Lines &a, double v)
{
    return std::min(
        {float(std::fabs(a.low - v)), float(std::fabs(a.mid - v)), float(std::fabs(a.high - v))});
}

struct Nearest
{
    float distance;
    double line;
};
// The line of o nearest to any of a's lines; ties go to o's minimum, then its centre.
Nearest nearestLine(const Lines &a, const Lines &o)
{
    const float g1 = distanceTo(a, o.low);
    const float g2 = distanceTo(a, o.mid);
    const float g3 = distanceTo(a, o.high);
    const float g = std::min({g1, g2, g3});
    return {g, g == g1 ? o.low : (g == g2 ? o.mid : o.high)};
}

} // namespace

// --- Handles and hit tests -------------------------------------------------------------------------

QPointF dragTypeCenterPoint(unsigned type, const QRectF &frame)
{
    const double o = kHandleOutset;
    switch (type) {
    case DragUpperLeft:
        return {minX(frame) - o, maxY(frame) + o};
    case DragUpperRight:
        return {maxX(frame) + o, maxY(frame) + o};
    case DragLowerLeft:
        return {minX(frame) - o, minY(frame) - o};
    case DragLowerRight:
        return {maxX(frame) + o, minY(frame) - o};
    default:
        return frame.center();
    }
}

QRectF makeRectForDragType(unsigned type, const QRectF &frame)
{
    if (type == DragMove)
        return frame;
    if (!isCorner(type))
        return {};
    const QPointF c = dragTypeCenterPoint(type, frame);
    return {c.x() - kHandleSize / 2, c.y() - kHandleSize / 2, kHandleSize, kHandleSize};
}

unsigned dragTypeForFrame(QPointF point, const QRectF &frame)
{
    for (unsigned type = DragUpperLeft; type <= DragMove; ++type)
        if (makeRectForDragType(type, frame).contains(point))
            return type;
    return DragNone;
}

HandleHit pointHitDragType(QPointF point, const QList<SelectedFrame> &selection)
{
    for (int i = 0; i < selection.size(); ++i) {
        const unsigned type = dragTypeForFrame(point, selection[i].frame);
        if (type == DragNone)
            continue;
        return {i, selection[i].staticText ? unsigned(DragMove) : type};
    }
    return {};
}

int firstHitIndex(QPointF point, const QList<QRectF> &frames)
{
    for (int i = 0; i < frames.size(); ++i)
        if (frames[i].adjusted(-kHitMargin, -kHitMargin, kHitMargin, kHitMargin).contains(point))
            return i;
    return -1;
}

int lastHitIndex(QPointF point, const QList<QRectF> &frames)
{
    for (int i = int(frames.size()) - 1; i >= 0; --i)
        if (frames[i].adjusted(-kHitMargin, -kHitMargin, kHitMargin, kHitMargin).contains(point))
            return i;
    return -1;
}

bool bandSelects(const QRectF &band, const QRectF &frame)
{
    // QRectF::intersects wants an overlap of some area, as the band's rule does.
    return band.intersects(frame);
}

// --- Resizing ----------------------------------------------------------------------------------------

QRectF resizeKeepProportion(
    unsigned type, QPointF delta, const QRectF &oldFrame, float minScale, float maxScale)
{
    if (!isCorner(type))
        return oldFrame.translated(delta);
    if (oldFrame.width() <= 0)
        return oldFrame;
    const bool left = type == DragUpperLeft || type == DragLowerLeft;
    float s = float((oldFrame.width() + (left ? -2.0 : 2.0) * delta.x()) / oldFrame.width());
    if (minScale > s)
        s = minScale;
    else if (s > maxScale)
        s = maxScale;
    const QSizeF size = Discwright::RectGeometry::convertSizeScale(oldFrame.size(), s);
    return Discwright::RectGeometry::rectForCenterSize(oldFrame.center(), size);
}

QRectF resizeFree(unsigned type, QPointF delta, const QRectF &oldFrame, const QRectF &menuRect)
{
    if (!isCorner(type))
        return oldFrame.translated(delta);
    const float gap = float(kMinResizeLength);
    const bool left = type == DragUpperLeft || type == DragLowerLeft;
    const bool upper = type == DragUpperLeft || type == DragUpperRight;
    const QPointF p1(left ? minX(oldFrame) : maxX(oldFrame),
                     upper ? maxY(oldFrame) : minY(oldFrame));
    const QPointF p2(left ? maxX(oldFrame) : minX(oldFrame),
                     upper ? minY(oldFrame) : maxY(oldFrame));
    const float wantX = float(p1.x() + delta.x());
    const float wantY = float(p1.y() + delta.y());
    const float x = left ? std::max(std::min(wantX, float(p2.x()) - gap), float(minX(menuRect)))
                         : std::min(std::max(wantX, float(p2.x()) + gap), float(maxX(menuRect)));
    const float y = upper ? std::min(std::max(wantY, float(p2.y()) + gap), float(maxY(menuRect)))
                          : std::max(std::min(wantY, float(p2.y()) - gap), float(minY(menuRect)));
    return Discwright::RectGeometry::rectForPointOther(QPointF(x, y), p2);
}

QRectF dragStep(unsigned type,
                QPointF delta,
                const QRectF &bounds,
                const QRectF &oldFrame,
                bool keepProportion,
                float minScale,
                float maxScale,
                const QRectF &menuRect)
{
    QRectF next;
    if (!isCorner(type))
        next = bounds.translated(delta);
    else if (keepProportion)
        next = resizeKeepProportion(type, delta, oldFrame, minScale, maxScale);
    else
        next = resizeFree(type, delta, oldFrame, menuRect);
    return CanvasClamp::boundInCanvasLimit(next, menuRect);
}

float getMinZoomWithMedia(const QRectF &frame)
{
    return frame.width() > 0 ? float(kMinResizeLength / frame.width()) : 1.0f;
}

float getMaxZoomWithMedia(const QRectF &frame, const QRectF &menuRect)
{
    const double halfW = frame.width() / 2;
    const double halfH = frame.height() / 2;
    if (halfW <= 0 || halfH <= 0)
        return 1.0f;
    const QPointF c = frame.center();
    return std::min({float((c.x() - minX(menuRect)) / halfW),
                     float((maxX(menuRect) - c.x()) / halfW),
                     float((c.y() - minY(menuRect)) / halfH),
                     float((maxY(menuRect) - c.y()) / halfH)});
}

QRectF boundingRect(const QList<QRectF> &frames)
{
    if (frames.isEmpty())
        return {};
    float x0 = float(minX(frames.first())), y0 = float(minY(frames.first()));
    float x1 = float(maxX(frames.first())), y1 = float(maxY(frames.first()));
    for (const QRectF &f : frames) {
        x0 = std::min(x0, float(minX(f)));
        y0 = std::min(y0, float(minY(f)));
        x1 = std::max(x1, float(maxX(f)));
        y1 = std::max(y1, float(maxY(f)));
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// --- Guides ------------------------------------------------------------------------------------------

namespace {

// Snaps one axis: the first other frame with a line within reach of the candidate's lines (tried
// minimum, centre, maximum) captures it. Returns the capturing index, or -1.
int snapAxis(double &origin, double length, const Lines &candidate, const QList<Lines> &others)
{
    for (int i = 0; i < others.size(); ++i) {
        const Lines r{origin, origin + 0.5 * length, origin + length};
        const double v = nearestLine(r, others[i]).line;
        if (std::fabs(v - candidate.low) <= kSnapDistance) {
            origin = v;
            return i;
        }
        if (std::fabs(v - candidate.mid) <= kSnapDistance) {
            origin = v - 0.5 * length;
            return i;
        }
        if (std::fabs(v - candidate.high) <= kSnapDistance) {
            origin = v - length;
            return i;
        }
    }
    return -1;
}

} // namespace

SnapResult checkForDrawAuxiliaryLine(const QRectF &candidate,
                                     const QList<QRectF> &others,
                                     const QRectF &menuRect)
{
    SnapResult result{candidate, {}};
    if (others.isEmpty())
        return result;
    QList<Lines> xs, ys;
    for (const QRectF &o : others) {
        xs << xLines(o);
        ys << yLines(o);
    }
    double x = candidate.x(), y = candidate.y();
    const int xTarget = snapAxis(x, candidate.width(), xLines(candidate), xs);
    const int yTarget = snapAxis(y, candidate.height(), yLines(candidate), ys);
    // A centre or far-edge snap can push the item over the page edge, where the disc's button
    // would be cut off: the snapped frame goes through the page clamp like every placement.
    const QRectF r = CanvasClamp::boundInCanvasLimit(
        QRectF(x, y, candidate.width(), candidate.height()), menuRect);
    result.frame = r;
    result.guides.touched = true;
    if (xTarget >= 0) {
        const QRectF &o = others[xTarget];
        const Nearest n = nearestLine(xLines(r), xs[xTarget]);
        if (n.distance <= kGuideDistance)
            result.guides.vertical = {true,
                                      QPointF(n.line, std::min(minY(r), minY(o))),
                                      QPointF(n.line, std::max(maxY(r), maxY(o)))};
    }
    if (yTarget >= 0) {
        const QRectF &o = others[yTarget];
        const Nearest n = nearestLine(yLines(r), ys[yTarget]);
        if (n.distance <= kGuideDistance)
            result.guides.horizontal = {true,
                                        QPointF(std::min(minX(r), minX(o)), n.line),
                                        QPointF(std::max(maxX(r), maxX(o)), n.line)};
    }
    return result;
}

Guides checkForDrawAuxiliaryLineForKeyEvent(const QRectF &frame, const QList<QRectF> &others)
{
    Guides guides;
    if (others.isEmpty())
        return guides;
    guides.touched = true;
    const Lines ax = xLines(frame), ay = yLines(frame);
    for (const QRectF &o : others) {
        const Nearest n = nearestLine(ax, xLines(o));
        if (n.distance > kKeyGuideDistance)
            continue;
        guides.vertical = {true,
                           QPointF(n.line, std::min(minY(frame), minY(o))),
                           QPointF(n.line, std::max(maxY(frame), maxY(o)))};
        break;
    }
    for (const QRectF &o : others) {
        const Nearest n = nearestLine(ay, yLines(o));
        if (n.distance > kKeyGuideDistance)
            continue;
        guides.horizontal = {true,
                             QPointF(std::min(minX(frame), minX(o)), n.line),
                             QPointF(std::max(maxX(frame), maxX(o)), n.line)};
        break;
    }
    return guides;
}

QPointF nudgeOffset(const QRectF &selectionBounds, QPointF step, const QRectF &menuRect)
{
    const QRectF moved
        = CanvasClamp::boundInCanvasLimit(selectionBounds.translated(step), menuRect);
    return moved.topLeft() - selectionBounds.topLeft();
}

// --- Fit -----------------------------------------------------------------------------------------------

QTransform menuTransform(QSizeF menuSize, QSizeF widgetSize)
{
    const QRectF page(QPointF(0, 0), menuSize);
    const QRectF box = QRectF(QPointF(0, 0), widgetSize).adjusted(10, 10, -10, -10);
    const QRectF fitted = Discwright::RectGeometry::scaleRectIn(page, box);
    // Menu points per widget pixel.
    const float s = float(menuSize.width() / std::max(fitted.width(), 1.0));
    const QSizeF boundsSize(widgetSize.width() * s, widgetSize.height() * s);
    const QPointF boundsOrigin(page.center().x() - boundsSize.width() / 2,
                               page.center().y() - boundsSize.height() / 2);
    // pixel x = (x - origin.x) / s; pixel y = height - (y - origin.y) / s.
    QTransform t;
    t.translate(0, widgetSize.height());
    t.scale(1.0 / s, -1.0 / s);
    t.translate(-boundsOrigin.x(), -boundsOrigin.y());
    return t;
}

} // namespace CanvasGeometry
