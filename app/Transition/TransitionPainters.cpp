#include "app/Transition/TransitionPainters.h"

#include "app/Transition/TransitionRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Discwright::TransitionPainters {

using namespace TransitionRaster;

namespace {

// The background stretched over a frame of size (transparent without one), to draw a layer on.
QImage backdrop(const QImage &background, QSize size)
{
    // One of the frame's size is the frame already; drawing over it later copies it first.
    if (background.size() == size && !size.isEmpty())
        return toWorkingFormat(background);
    QImage frame = newFrame(size);
    drawScaled(frame, toWorkingFormat(background), QRectF(QPointF(0, 0), QSizeF(size)));
    return frame;
}

void drawFitted(QImage &frame, const QImage &picture, double scale, QPointF offset)
{
    if (picture.isNull())
        return;
    drawScaled(frame,
               toWorkingFormat(picture),
               fittedRect(picture.size(), frame.size(), scale).translated(offset));
}

// The picture over the background as one full frame. A picture of the frame's size that hides
// the background (or has none behind it) is taken as it is, not even copied when it is already
// in the working format: the usual slideshow picture, made at the page's size.
QImage layer(const QImage &picture, const QImage &background, QSize size, double scale)
{
    if (scale == 1.0 && picture.size() == size) {
        QImage working = toWorkingFormat(picture);
        if (background.isNull() || isOpaque(working))
            return working;
    }
    QImage frame = backdrop(background, size);
    if (!frame.isNull())
        drawFitted(frame, picture, scale, QPointF(0, 0));
    return frame;
}

} // namespace

QImage dissolve(const QImage &a, const QImage &b, const QImage &background, double s, QSize size)
{
    if (size.isEmpty())
        return {};
    const std::uint32_t weight = weightOf(s);
    return mixLayers(layer(a, background, size, 1.0),
                     layer(b, background, size, 1.0),
                     size,
                     [weight](int, int) { return weight; });
}

QImage slide(const QImage &a,
             const QImage &b,
             const QImage &background,
             int dx,
             int dy,
             double s,
             QSize size)
{
    // A frame of its own even when nothing covers the background, which is the caller's.
    QImage frame = newFrame(size);
    if (frame.isNull())
        return frame;
    drawScaled(frame, toWorkingFormat(background), QRectF(QPointF(0, 0), QSizeF(size)));
    // Whole pixels, so the pictures are copied, not resampled, on their way across.
    const QPointF step(dx * size.width(), dy * size.height());
    const QPointF offsetA(std::round(s * step.x()), std::round(s * step.y()));
    drawFitted(frame, a, 1.0, offsetA);
    drawFitted(frame, b, 1.0, offsetA - step);
    return frame;
}

QImage swipe(const QImage &a,
             const QImage &b,
             const QImage &background,
             double angleDegrees,
             double softness,
             double s,
             QSize size)
{
    if (size.isEmpty())
        return {};
    // u is where a pixel centre lies along the travel, 0 at the first corner the edge reaches and
    // 1 at the last. The edge starts half its width before 0 and ends half its width past 1, so
    // the ends show one picture whole.
    const double radians = angleDegrees * M_PI / 180.0;
    const double ax = std::cos(radians);
    const double ay = std::sin(radians);
    const double w = size.width();
    const double h = size.height();
    const double corners[] = {0.0, ax * w, ay * h, ax * w + ay * h};
    const double first = *std::min_element(std::begin(corners), std::end(corners));
    const double travel = *std::max_element(std::begin(corners), std::end(corners)) - first;
    // At least one pixel wide, so a hard edge is still smooth.
    const double edge = std::max(std::clamp(softness, 0.0, 1.0), 1.0 / travel);
    const double position = -edge / 2.0 + s * (1.0 + edge);
    return mixLayers(
        layer(a, background, size, 1.0), layer(b, background, size, 1.0), size, [=](int x, int y) {
            const double u = ((x + 0.5) * ax + (y + 0.5) * ay - first) / travel;
            return weightOf((position - u) / edge + 0.5);
        });
}

QImage zoomDissolve(const QImage &a,
                    const QImage &b,
                    const QImage &background,
                    double outgoingZoom,
                    double incomingZoom,
                    double s,
                    QSize size)
{
    if (size.isEmpty())
        return {};
    const double scaleA = 1.0 + (outgoingZoom - 1.0) * s;
    const double scaleB = incomingZoom + (1.0 - incomingZoom) * s;
    const std::uint32_t weight = weightOf(s);
    return mixLayers(layer(a, background, size, s <= 0.0 ? 1.0 : scaleA),
                     layer(b, background, size, s >= 1.0 ? 1.0 : scaleB),
                     size,
                     [weight](int, int) { return weight; });
}

QImage circle(const QImage &a,
              const QImage &b,
              const QImage &background,
              bool opens,
              double softness,
              double s,
              QSize size)
{
    if (size.isEmpty())
        return {};
    const double cx = size.width() / 2.0;
    const double cy = size.height() / 2.0;
    const double largest = std::hypot(cx, cy);
    const double rim = std::max(std::clamp(softness, 0.0, 1.0) * largest, 1.0);
    // The radius runs from half a rim inside the centre to half a rim past the corners, so the
    // ends show one picture whole.
    const double grown = opens ? s : 1.0 - s;
    const double radius = -rim / 2.0 + grown * (largest + rim);
    // Away from the rim the answer is known from the squared distance, without a square root.
    const double fullyInside = std::max(0.0, radius - rim / 2.0);
    const double fullyOutside = radius + rim / 2.0;
    const double insideSquared = fullyInside * fullyInside;
    const double outsideSquared = fullyOutside > 0.0 ? fullyOutside * fullyOutside : -1.0;
    const std::uint32_t inner = opens ? kWeightOne : 0;
    const std::uint32_t outer = opens ? 0 : kWeightOne;
    return mixLayers(
        layer(a, background, size, 1.0), layer(b, background, size, 1.0), size, [=](int x, int y) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const double squared = dx * dx + dy * dy;
            if (squared < insideSquared)
                return inner;
            if (squared >= outsideSquared)
                return outer;
            const double inside = (radius - std::sqrt(squared)) / rim + 0.5;
            return weightOf(opens ? inside : 1.0 - inside);
        });
}

} // namespace Discwright::TransitionPainters
