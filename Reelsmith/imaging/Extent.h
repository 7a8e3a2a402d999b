#pragma once

#include <QRect>
#include <QRectF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Reelsmith::imaging {

/**
 * The area an image covers, in pixels with the origin at the lower left and y up. It may be
 * infinite (a constant colour) on any side, and it may be empty. A plain value; any thread.
 */
struct Extent
{
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;

    static Extent infinite()
    {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return {-inf, -inf, inf, inf};
    }
    static Extent fromRect(const QRectF &rect)
    {
        return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    }

    bool isEmpty() const { return !(x1 > x0) || !(y1 > y0); }
    bool isInfinite() const
    {
        return std::isinf(x0) || std::isinf(y0) || std::isinf(x1) || std::isinf(y1);
    }
    double width() const { return isEmpty() ? 0 : x1 - x0; }
    double height() const { return isEmpty() ? 0 : y1 - y0; }
    /** The finite rect; an infinite extent gives a null rect. */
    QRectF rect() const
    {
        if (isEmpty() || isInfinite())
            return {};
        return QRectF(x0, y0, x1 - x0, y1 - y0);
    }

    Extent intersected(const Extent &other) const
    {
        Extent result{std::max(x0, other.x0),
                      std::max(y0, other.y0),
                      std::min(x1, other.x1),
                      std::min(y1, other.y1)};
        if (result.isEmpty())
            return {};
        return result;
    }
    Extent united(const Extent &other) const
    {
        if (isEmpty())
            return other;
        if (other.isEmpty())
            return *this;
        return {std::min(x0, other.x0),
                std::min(y0, other.y0),
                std::max(x1, other.x1),
                std::max(y1, other.y1)};
    }
    Extent grown(double by) const
    {
        if (isEmpty())
            return {};
        return {x0 - by, y0 - by, x1 + by, y1 + by};
    }
    /** The bounding box of the mapped corners; infinite stays infinite, empty stays empty. */
    Extent mapped(const QTransform &transform) const
    {
        if (isEmpty())
            return {};
        if (isInfinite())
            return infinite();
        return fromRect(transform.mapRect(QRectF(x0, y0, x1 - x0, y1 - y0)));
    }
    /** The whole pixels this extent touches, clipped to bounds. */
    QRect pixelsWithin(const QRect &bounds) const
    {
        if (isEmpty() || bounds.isEmpty())
            return {};
        const double left = std::max(std::floor(x0), double(bounds.left()));
        const double bottom = std::max(std::floor(y0), double(bounds.top()));
        const double right = std::min(std::ceil(x1), double(bounds.left() + bounds.width()));
        const double top = std::min(std::ceil(y1), double(bounds.top() + bounds.height()));
        if (!(right > left) || !(top > bottom))
            return {};
        return QRect(int(left), int(bottom), int(right - left), int(top - bottom));
    }
    bool operator==(const Extent &) const = default;
};

} // namespace Reelsmith::imaging
