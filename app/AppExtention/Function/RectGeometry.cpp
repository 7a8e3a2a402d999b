#include "app/AppExtention/Function/RectGeometry.h"

#include "platform/FitRect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Discwright::RectGeometry {
namespace {

float m(const QMatrix4x4 &t, int row, int column)
{
    return t(row - 1, column - 1);
}

float solveLength(float length, float perspective, float a1, float a2, float m44)
{
    const float a = length * perspective * perspective;
    const float b = 2.0f * std::sqrt(a1 * a1 + a2 * a2) * m44;
    const float c = -length * m44 * m44;
    float t;
    if (a == 0.0f)
        t = b == 0.0f ? 0.0f : -c / b;
    else
        t = (std::sqrt(std::max(0.0f, b * b - 4.0f * a * c)) - b) / (2.0f * a);
    return 2.0f * t;
}

} // namespace

QRectF rectForCenterSize(QPointF center, QSizeF size)
{
    return QRectF(
        center.x() - size.width() / 2, center.y() - size.height() / 2, size.width(), size.height());
}

QRectF rectForPointOther(QPointF a, QPointF b)
{
    const float x = std::min(float(a.x()), float(b.x()));
    const float y = std::min(float(a.y()), float(b.y()));
    return QRectF(x, y, std::abs(a.x() - b.x()), std::abs(a.y() - b.y()));
}

QPointF centerForRect(const QRectF &rect)
{
    return QPointF(rect.x() + rect.width() * 0.5, rect.y() + rect.height() * 0.5);
}

QRectF scaleRectIn(const QRectF &r, const QRectF &box)
{
    return platform::scaleRectIn(r, box);
}

QRectF scaleRectFull(const QRectF &r, const QRectF &box)
{
    return platform::scaleRectFull(r, box);
}

QRectF scaleRectContain(const QRectF &r, const QRectF &box)
{
    if (!(box.width() > 0) || !(box.height() > 0))
        return r;
    // The box has room on both sides, so both ratios are finite; r is only ever grown here.
    const float ratio = std::max(
        std::min(float(r.width()) / float(box.width()), float(r.height()) / float(box.height())),
        0.01f);
    if (ratio >= 1.0f)
        return r;
    return rectForCenterSize(centerForRect(box), QSizeF(r.width() / ratio, r.height() / ratio));
}

QRectF scaleRectMinLength(const QRectF &r, float length)
{
    return scaleRectContain(r, QRectF(centerForRect(r), QSizeF(length, length)));
}

float convertLengthScale(float length, float scale)
{
    return length * scale;
}

QSizeF convertSizeScale(QSizeF size, float scale)
{
    return QSizeF(size.width() * scale, size.height() * scale);
}

QPointF convertPointScale(QPointF point, float scale)
{
    return QPointF(point.x() * scale, point.y() * scale);
}

QRectF convertRectScale(const QRectF &rect, float scale)
{
    return QRectF(convertPointScale(rect.topLeft(), scale), convertSizeScale(rect.size(), scale));
}

float minOfFour(float one, float two, float three, float four)
{
    return std::min({one, two, three, four});
}

float maxOfFour(float one, float two, float three, float four)
{
    return std::max({one, two, three, four});
}

float angleForPoint(QPointF vector)
{
    const float x = float(vector.x());
    const float y = float(vector.y());
    const float length = std::sqrt(x * x + y * y);
    if (length == 0.0f)
        return 0.0f;
    float a = std::asin(std::min(1.0f, std::abs(y) / length));
    const float pi = std::numbers::pi_v<float>;
    if (x < 0)
        a = pi - a;
    if (y < 0)
        a = 2 * pi - a;
    return a;
}

QPointF pointForLengthAngle(float length, float angle)
{
    return QPointF(length * std::cos(angle), length * std::sin(angle));
}

float lengthForFixedOldDragDrag(QPointF fixed, QPointF oldDrag, QPointF drag)
{
    const QPointF u = oldDrag - fixed;
    const QPointF v = drag - fixed;
    const float lengthV = std::sqrt(float(v.x() * v.x() + v.y() * v.y()));
    return std::abs(lengthV * std::cos(angleForPoint(v) - angleForPoint(u)));
}

QPointF convertPointFromTransform(QPointF point, const QMatrix4x4 &t)
{
    const float x = float(point.x());
    const float y = float(point.y());
    const float w = std::max(x * m(t, 1, 4) + y * m(t, 2, 4) + m(t, 4, 4), 0.01f);
    return QPointF((x * m(t, 1, 1) + y * m(t, 2, 1) + m(t, 4, 1)) / w,
                   (x * m(t, 1, 2) + y * m(t, 2, 2) + m(t, 4, 2)) / w);
}

QPointF convertPointToTransform(QPointF point, const QMatrix4x4 &t)
{
    const float X = float(point.x());
    const float Y = float(point.y());
    const float a1 = m(t, 1, 4) * X - m(t, 1, 1);
    const float b1 = m(t, 2, 4) * X - m(t, 2, 1);
    const float c1 = m(t, 4, 1) - m(t, 4, 4) * X;
    const float a2 = m(t, 1, 4) * Y - m(t, 1, 2);
    const float b2 = m(t, 2, 4) * Y - m(t, 2, 2);
    const float c2 = m(t, 4, 2) - m(t, 4, 4) * Y;
    const float d = a1 * b2 - a2 * b1;
    if (d == 0.0f)
        return point;
    return QPointF((c1 * b2 - c2 * b1) / d, -(c1 * a2 - c2 * a1) / d);
}

float widthForLength(float length, const QMatrix4x4 &t)
{
    return solveLength(length, m(t, 1, 4), m(t, 1, 1), m(t, 1, 2), m(t, 4, 4));
}

float heightForLength(float length, const QMatrix4x4 &t)
{
    return solveLength(length, m(t, 2, 4), m(t, 2, 1), m(t, 2, 2), m(t, 4, 4));
}

QRectF rectForPointOtherTransform(QPointF a, QPointF b, const QMatrix4x4 &transform)
{
    const float width = widthForLength(float(std::abs(a.x() - b.x())), transform);
    const float height = heightForLength(float(std::abs(a.y() - b.y())), transform);
    return rectForCenterSize(QPointF(0, 0), QSizeF(width, height));
}

} // namespace Discwright::RectGeometry
