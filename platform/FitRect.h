#pragma once

// The one rule for fitting a picture's rectangle into a box, shared by the media engine's
// thumbnails and bitmaps and the menu pages' pictures. Plain functions, safe on any thread.

#include <QRectF>

namespace platform {

/**
 * a's size fitted inside b keeping its aspect ratio, centred in b (a's origin is ignored). The
 * scale factor is the larger of the two side ratios, kept in single precision and never below
 * minimumScale, so a picture is enlarged as well as shrunk (at most 1 / minimumScale times); a
 * ratio that is not a number gives way to the other one. A box with no room (b not wider and
 * higher than 0) gives an empty rectangle at b's centre. The menu pages and thumbnails keep the
 * hundredfold limit; the engine's frame composition, which fits a bare aspect (16 by 9) into a
 * whole frame, passes 0.001.
 */
QRectF scaleRectIn(const QRectF &a, const QRectF &b, float minimumScale = 0.01f);

/**
 * a's size scaled to cover b keeping its aspect ratio, centred in b (it may extend past b): the
 * smaller of the two side ratios, with the same precision, floor and empty-box rule as
 * scaleRectIn.
 */
QRectF scaleRectFull(const QRectF &a, const QRectF &b, float minimumScale = 0.01f);

} // namespace platform
