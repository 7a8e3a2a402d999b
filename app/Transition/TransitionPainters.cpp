#include "app/Transition/TransitionPainters.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Discwright::TransitionPainters {

namespace {

constexpr QImage::Format kFormat = QImage::Format_RGBA8888_Premultiplied;
// Mixing weights are fixed point with this many steps, so both ends are exact.
constexpr std::uint32_t kWeightOne = 1u << 16;

QImage newFrame(QSize size)
{
    if (size.isEmpty())
        return {};
    QImage frame(size, kFormat);
    if (!frame.isNull())
        frame.fill(Qt::transparent);
    return frame;
}

// picture's rectangle fitted into a frame of frameSize keeping its proportion, centred, then
// scaled by scale about the frame's centre.
QRectF fittedRect(QSize picture, QSize frameSize, double scale)
{
    const double fit = std::min(double(frameSize.width()) / picture.width(),
                                double(frameSize.height()) / picture.height());
    const double width = picture.width() * fit * scale;
    const double height = picture.height() * fit * scale;
    return QRectF(
        (frameSize.width() - width) / 2.0, (frameSize.height() - height) / 2.0, width, height);
}

void paintBackground(QPainter &painter, const QImage &background, QSize size)
{
    if (!background.isNull())
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), background);
}

void paintPicture(
    QPainter &painter, const QImage &picture, QSize size, double scale, QPointF offset)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return;
    painter.drawImage(fittedRect(picture.size(), size, scale).translated(offset), picture);
}

// The picture over the background as one full frame. A picture of the frame's size without a
// background is taken as it is (no copy when it is already in the working format).
QImage layer(const QImage &picture, const QImage &background, QSize size, double scale)
{
    if (background.isNull() && scale == 1.0 && picture.size() == size)
        return picture.convertToFormat(kFormat);
    QImage frame = newFrame(size);
    if (frame.isNull())
        return frame;
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintBackground(painter, background, size);
    paintPicture(painter, picture, size, scale, QPointF(0, 0));
    return frame;
}

inline std::uint32_t mixChannel(std::uint32_t a, std::uint32_t b, std::uint32_t weight)
{
    return (a * (kWeightOne - weight) + b * weight + kWeightOne / 2) >> 16;
}

// One pixel of 4 bytes mixed from a to b; mixing premultiplied channels alike keeps the result
// premultiplied.
inline void mixPixel(const uchar *a, const uchar *b, uchar *out, std::uint32_t weight)
{
    for (int channel = 0; channel < 4; ++channel)
        out[channel] = uchar(mixChannel(a[channel], b[channel], weight));
}

std::uint32_t weightOf(double coverage)
{
    return std::uint32_t(std::lround(std::clamp(coverage, 0.0, 1.0) * kWeightOne));
}

// The frame mixed from the layers a and b, pixel by pixel, with the weight of b that weightAt
// gives for (x, y).
template <typename WeightAt>
QImage mixLayers(const QImage &a, const QImage &b, QSize size, WeightAt weightAt)
{
    if (a.isNull() || b.isNull())
        return {};
    QImage frame(size, kFormat);
    if (frame.isNull())
        return frame;
    for (int y = 0; y < size.height(); ++y) {
        const uchar *rowA = a.constScanLine(y);
        const uchar *rowB = b.constScanLine(y);
        uchar *rowOut = frame.scanLine(y);
        for (int x = 0; x < size.width(); ++x)
            mixPixel(rowA + 4 * x, rowB + 4 * x, rowOut + 4 * x, weightAt(x, y));
    }
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
    QImage frame = newFrame(size);
    if (frame.isNull())
        return frame;
    // Whole pixels, so the pictures are copied, not resampled, on their way across.
    const QPointF step(dx * size.width(), dy * size.height());
    const QPointF offsetA(std::round(s * step.x()), std::round(s * step.y()));
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintBackground(painter, background, size);
    paintPicture(painter, a, size, 1.0, offsetA);
    paintPicture(painter, b, size, 1.0, offsetA - step);
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
    return mixLayers(
        layer(a, background, size, 1.0), layer(b, background, size, 1.0), size, [=](int x, int y) {
            const double inside = (radius - std::hypot(x + 0.5 - cx, y + 0.5 - cy)) / rim + 0.5;
            return weightOf(opens ? inside : 1.0 - inside);
        });
}

} // namespace Discwright::TransitionPainters
