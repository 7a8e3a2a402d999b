#pragma once

// Rectangle, angle and perspective arithmetic of the canvas and the picture fitting. Rectangles are
// in menu or picture points with y growing upwards. Pure functions; any thread.

#include <QMatrix4x4>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace Discwright::RectGeometry {

QRectF rectForCenterSize(QPointF center, QSizeF size);
// The rectangle spanned by two points; the origin is taken in single precision.
QRectF rectForPointOther(QPointF a, QPointF b);
QPointF centerForRect(const QRectF &rect);

// Aspect fit of r into box, centred; enlarges as well as shrinks: platform::scaleRectIn, the one
// fit rule (a box with no room gives an empty rectangle at its centre).
QRectF scaleRectIn(const QRectF &r, const QRectF &box);
// Aspect fill: covers box and may stick out of it (platform::scaleRectFull).
QRectF scaleRectFull(const QRectF &r, const QRectF &box);
// Grows r (centred on box's centre) until it covers box; an r already covering it, or an empty
// box, comes back unchanged.
QRectF scaleRectContain(const QRectF &r, const QRectF &box);
// scaleRectContain of r and a length x length square whose origin is r's centre.
QRectF scaleRectMinLength(const QRectF &r, float length);

float convertLengthScale(float length, float scale);
QSizeF convertSizeScale(QSizeF size, float scale);
QPointF convertPointScale(QPointF point, float scale);
QRectF convertRectScale(const QRectF &rect, float scale);
float minOfFour(float one, float two, float three, float four);
float maxOfFour(float one, float two, float three, float four);

// The direction of the vector in radians, in [0, 2 pi); the zero vector gives 0.
float angleForPoint(QPointF vector);
QPointF pointForLengthAngle(float length, float angle);
// The length of (drag - fixed) projected on the direction of (oldDrag - fixed).
float lengthForFixedOldDragDrag(QPointF fixed, QPointF oldDrag, QPointF drag);

// Perspective: transform holds m11..m44 as transform(row - 1, column - 1), applied to the row
// vector (x, y, 0, 1) on the left.
QPointF convertPointFromTransform(QPointF point, const QMatrix4x4 &transform);
// The inverse of convertPointFromTransform for points of the z = 0 plane; a transform that
// flattens the plane gives the point back unchanged.
QPointF convertPointToTransform(QPointF point, const QMatrix4x4 &transform);
// The untransformed width (height) whose image under the perspective has the given length.
float widthForLength(float length, const QMatrix4x4 &transform);
float heightForLength(float length, const QMatrix4x4 &transform);
// A rectangle centred on the origin whose sides are the untransformed lengths of the two points'
// horizontal and vertical distances.
QRectF rectForPointOtherTransform(QPointF a, QPointF b, const QMatrix4x4 &transform);

} // namespace Discwright::RectGeometry
