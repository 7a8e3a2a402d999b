#include "Platterkit/render/MenuGeometry.h"

#include "platform/FitRect.h"

#include <algorithm>
#include <cmath>

namespace Platterkit::render {

QRectF scaleRectIn(const QRectF &a, const QRectF &b)
{
    return platform::scaleRectIn(a, b);
}

QRectF scaleRectFull(const QRectF &a, const QRectF &b)
{
    return platform::scaleRectFull(a, b);
}

QRectF insetRect(const QRectF &r, double dx, double dy)
{
    const QRectF n = r.normalized();
    const double width = n.width() - 2.0 * dx;
    const double height = n.height() - 2.0 * dy;
    if (!(width >= 0.0) || !(height >= 0.0))
        return QRectF(n.center(), QSizeF(0, 0));
    return QRectF(n.x() + dx, n.y() + dy, width, height);
}

QRectF integralRect(const QRectF &r)
{
    const QRectF n = r.normalized();
    if (!(n.width() > 0.0) || !(n.height() > 0.0))
        return QRectF();
    const double left = std::floor(n.x());
    const double bottom = std::floor(n.y());
    const double right = std::ceil(n.x() + n.width());
    const double top = std::ceil(n.y() + n.height());
    return QRectF(left, bottom, right - left, top - bottom);
}

QRectF flipRect(const QRectF &r, double height)
{
    return QRectF(r.x(), height - (r.y() + r.height()), r.width(), r.height());
}

QTransform pageToPixelTransform(const QSizeF &menuSize, const QSizeF &pixelSize)
{
    const double sx = pixelSize.width() / std::max(1.0, menuSize.width());
    const double sy = pixelSize.height() / std::max(1.0, menuSize.height());
    return QTransform(sx, 0.0, 0.0, -sy, 0.0, pixelSize.height());
}

QRectF elementRectInPixels(const QRectF &frame, const QSizeF &menuSize, const QSizeF &pixelSize)
{
    return pageToPixelTransform(menuSize, pixelSize).mapRect(frame.normalized());
}

QTransform rotationAboutCentre(const QRectF &frame, double degrees)
{
    const QPointF centre(frame.x() + frame.width() * 0.5, frame.y() + frame.height() * 0.5);
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(degrees);
    turn.translate(-centre.x(), -centre.y());
    return turn;
}

double cornerRadius(double roundValue, const QSizeF &size)
{
    if (!(roundValue > 0.9))
        return 0.0;
    const double halfSide = std::min(std::fabs(size.width()), std::fabs(size.height())) * 0.5;
    return std::min(roundValue, halfSide);
}

QPainterPath roundedClipPath(const QSizeF &size, double roundValue)
{
    QPainterPath path;
    const double radius = cornerRadius(roundValue, size);
    if (radius > 0.0)
        path.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    return path;
}

QSize bitmapPixelSize(const QSizeF &size)
{
    const double width = std::trunc(size.width() + 0.5);
    const double height = std::trunc(size.height() + 0.5);
    if (!(width >= 1.0) || !(height >= 1.0) || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return QSize();
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

} // namespace Platterkit::render
