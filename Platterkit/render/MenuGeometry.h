#pragma once

// Geometry shared by everything that draws a menu page: fitting a picture into a rectangle, the
// rounded clip of an element, rotation about an element's centre, and the one place where the
// page's y-up menu points meet y-down pixels.
//
// Model rectangles (element frames, the page rectangle) are in menu points with the origin at the
// lower left and y growing upwards. QImage rows run downwards, so anything that addresses pixels of
// a page picture goes through pageToPixelTransform / elementRectInPixels below. Plain functions,
// safe on any thread.

#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QTransform>

namespace Platterkit::render {

// platform::scaleRectIn and platform::scaleRectFull (platform/FitRect.h) under the names the
// renderers use.
QRectF scaleRectIn(const QRectF &a, const QRectF &b);
QRectF scaleRectFull(const QRectF &a, const QRectF &b);

/**
 * r shrunk by dx on the left and right and dy at the bottom and top. When that leaves no room the
 * result is an empty rectangle (so nothing is drawn into it, rather than a flipped rectangle).
 */
QRectF insetRect(const QRectF &r, double dx, double dy);

/** The smallest rectangle with whole-number edges that contains r; an empty r gives (0,0,0,0). */
QRectF integralRect(const QRectF &r);

/** r (y up) in a space of the given height as the same area with y growing downwards. */
QRectF flipRect(const QRectF &r, double height);

/**
 * The transform from page coordinates (menu points, y up, page of menuSize) to pixel coordinates of
 * a picture of pixelSize (y down). A side of menuSize below 1 counts as 1.
 */
QTransform pageToPixelTransform(const QSizeF &menuSize, const QSizeF &pixelSize);

/**
 * An element's frame (menu points, y up) as a rectangle in pixel coordinates (y down, not rounded)
 * of a picture of pixelSize showing a page of menuSize. With pixelSize == menuSize this is the
 * element's area in DVDMenu::imageAtTime pictures.
 */
QRectF elementRectInPixels(const QRectF &frame, const QSizeF &menuSize, const QSizeF &pixelSize);

/** The turn of an element by degrees (counter-clockwise in y-up space) about its frame's centre. */
QTransform rotationAboutCentre(const QRectF &frame, double degrees);

/**
 * Corner radius of an element picture with the given rounding value: 0 (square corners) when
 * roundValue is 0.9 or less, else min(roundValue, half the height, half the width).
 */
double cornerRadius(double roundValue, const QSizeF &size);

/** The rounded clip of an element picture of that size at the origin; empty for square corners. */
QPainterPath roundedClipPath(const QSizeF &size, double roundValue);

/**
 * The pixel size of a bitmap made for a size in points: each side rounded to the nearest integer
 * (add 0.5, truncate). Empty when a side is under 0.5, not a number, or beyond kMaxBitmapSide.
 */
QSize bitmapPixelSize(const QSizeF &size);

/** Sides larger than this are refused: a damaged frame must not ask for gigabytes of pixels. */
inline constexpr int kMaxBitmapSide = 16384;

} // namespace Platterkit::render
