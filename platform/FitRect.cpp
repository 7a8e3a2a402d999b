#include "platform/FitRect.h"

#include <QSizeF>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The scale of a onto b from its two side ratios, as the template artwork was laid out: single
// precision, a ratio that is not a number gives way to the other one, and the scale never drops
// below the floor (0.01 for the pages: a picture is never blown up more than a hundredfold).
float combinedScale(const QRectF &a, const QRectF &b, bool cover, float floor)
{
    const float widthRatio = static_cast<float>(a.width() / b.width());
    const float heightRatio = static_cast<float>(a.height() / b.height());
    float scale;
    if (std::isnan(widthRatio))
        scale = heightRatio;
    else if (std::isnan(heightRatio))
        scale = widthRatio;
    else
        scale = cover ? std::min(widthRatio, heightRatio) : std::max(widthRatio, heightRatio);
    return std::isnan(scale) ? floor : std::max(scale, floor);
}

QRectF centredIn(const QSizeF &size, const QRectF &b)
{
    return QRectF(b.x() + (b.width() - size.width()) / 2.0,
                  b.y() + (b.height() - size.height()) / 2.0,
                  size.width(),
                  size.height());
}

QRectF scaled(const QRectF &a, const QRectF &b, bool cover, float floor)
{
    // A box with no room (an element frame smaller than its inset) takes no picture; letting the
    // ratios go negative would pick the hundredfold floor and paint the picture over the page.
    if (!(b.width() > 0.0) || !(b.height() > 0.0))
        return centredIn(QSizeF(0, 0), b);
    const double scale = combinedScale(a, b, cover, floor);
    return centredIn(QSizeF(a.width() / scale, a.height() / scale), b);
}

} // namespace

QRectF scaleRectIn(const QRectF &a, const QRectF &b, float minimumScale)
{
    return scaled(a, b, false, minimumScale);
}

QRectF scaleRectFull(const QRectF &a, const QRectF &b, float minimumScale)
{
    return scaled(a, b, true, minimumScale);
}

} // namespace platform
