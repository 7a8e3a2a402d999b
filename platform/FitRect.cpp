#include "platform/FitRect.h"

#include <QSizeF>
#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The scale of a onto b from its two side ratios, as the template artwork was laid out: single
// precision, a ratio that is not a number gives way to the other one, and the scale never drops
// below 0.01 (so a picture is never blown up more than a hundredfold).
float combinedScale(const QRectF &a, const QRectF &b, bool cover)
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
    return std::isnan(scale) ? 0.01f : std::max(scale, 0.01f);
}

QRectF centredIn(const QSizeF &size, const QRectF &b)
{
    return QRectF(b.x() + (b.width() - size.width()) / 2.0,
                  b.y() + (b.height() - size.height()) / 2.0,
                  size.width(),
                  size.height());
}

QRectF scaled(const QRectF &a, const QRectF &b, bool cover)
{
    // A box with no room (an element frame smaller than its inset) takes no picture; letting the
    // ratios go negative would pick the hundredfold floor and paint the picture over the page.
    if (!(b.width() > 0.0) || !(b.height() > 0.0))
        return centredIn(QSizeF(0, 0), b);
    const double scale = combinedScale(a, b, cover);
    return centredIn(QSizeF(a.width() / scale, a.height() / scale), b);
}

} // namespace

QRectF scaleRectIn(const QRectF &a, const QRectF &b)
{
    return scaled(a, b, false);
}

QRectF scaleRectFull(const QRectF &a, const QRectF &b)
{
    return scaled(a, b, true);
}

} // namespace platform
