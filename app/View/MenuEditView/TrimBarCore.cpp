#include "app/View/MenuEditView/TrimBarCore.h"

#include <algorithm>

namespace Discwright::TrimBarCore {

namespace {
constexpr double kSideInset = 10.0;
constexpr double kTopInset = 5.0;
constexpr double kHandleDrop = 5.0;
constexpr double kBandHalfHeight = 7.0;
constexpr double kBandOverhang = 5.0;
} // namespace

QRectF contentRect(const QRectF &bounds)
{
    // A bar under 20 points wide keeps a zero-width content at its centre rather than a negative
    // one, so every time maps to that one point.
    const double width = std::max(0.0, bounds.width() - 2 * kSideInset);
    const double height = std::max(0.0, bounds.height() - 2 * kTopInset);
    const double x = width > 0 ? bounds.x() + kSideInset : bounds.center().x();
    const double y = height > 0 ? bounds.y() + kTopInset : bounds.center().y();
    return QRectF(x, y, width, height);
}

double timeToPoint(const BarState &bar, int64_t time)
{
    const QRectF content = contentRect(bar.bounds);
    const double length = double(std::max<int64_t>(bar.duration, 1));
    return content.x() + double(std::min(time, bar.duration)) / length * content.width();
}

int64_t pointToTime(const BarState &bar, double x)
{
    const QRectF content = contentRect(bar.bounds);
    if (content.width() <= 0)
        return 0;
    return int64_t((x - content.x()) / content.width() * double(bar.duration));
}

QRectF leftTrimIconRect(const BarState &bar)
{
    const double midY = contentRect(bar.bounds).center().y();
    const double x = timeToPoint(bar, bar.trimStart);
    const QSizeF size = bar.leftHandleSize;
    return QRectF(
        x - size.width(), midY - kHandleDrop - size.height(), size.width(), size.height());
}

QRectF rightTrimIconRect(const BarState &bar)
{
    const double midY = contentRect(bar.bounds).center().y();
    const double x = timeToPoint(bar, bar.trimStop);
    const QSizeF size = bar.rightHandleSize;
    return QRectF(x, midY - kHandleDrop - size.height(), size.width(), size.height());
}

QRectF seekBandRect(const BarState &bar)
{
    const QRectF content = contentRect(bar.bounds);
    return QRectF(content.x() - kBandOverhang,
                  content.center().y() - kBandHalfHeight,
                  content.width() + 2 * kBandOverhang,
                  2 * kBandHalfHeight);
}

QRectF keptSegmentRect(const BarState &bar)
{
    const QRectF content = contentRect(bar.bounds);
    const double left = timeToPoint(bar, bar.trimStart);
    return QRectF(left, content.y(), timeToPoint(bar, bar.trimStop) - left, content.height());
}

QRectF playedPartRect(const BarState &bar)
{
    const QRectF content = contentRect(bar.bounds);
    const double left = timeToPoint(bar, 0);
    return QRectF(left, content.y(), timeToPoint(bar, bar.currentTime) - left, content.height());
}

namespace {
// Edges count as inside, as a press on a handle's border still grabs it.
bool holds(const QRectF &rect, QPointF point)
{
    return point.x() >= rect.left() && point.x() <= rect.right() && point.y() >= rect.top()
           && point.y() <= rect.bottom();
}
} // namespace

DragType drayTypeAtPoint(const BarState &bar, QPointF point, bool handlesHit)
{
    if (handlesHit && holds(leftTrimIconRect(bar), point))
        return DragType::LeftTrim;
    if (handlesHit && holds(rightTrimIconRect(bar), point))
        return DragType::RightTrim;
    if (holds(seekBandRect(bar), point))
        return DragType::Seek;
    return DragType::Nothing;
}

int64_t seekTimeAtPoint(const BarState &bar, double x)
{
    return std::clamp<int64_t>(pointToTime(bar, x), 0, std::max<int64_t>(bar.duration, 0));
}

int64_t handleTimeForOffset(const BarState &bar, DragType handle, double xOffset)
{
    const int64_t stored = handle == DragType::LeftTrim ? bar.trimStart : bar.trimStop;
    return pointToTime(bar, timeToPoint(bar, stored) + xOffset);
}

} // namespace Discwright::TrimBarCore
