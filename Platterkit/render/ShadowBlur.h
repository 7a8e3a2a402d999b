#pragma once

// Drop shadows of menu elements. QPainter has no shadow state, so a shadow is made the way a
// compositor would: the element's coverage, tinted with the shadow colour, blurred, offset, and
// drawn under the element.

#include "Platterkit/model/DLShadow.h"

#include <QImage>

namespace Platterkit::render {

/**
 * image (premultiplied ARGB) blurred by an approximately Gaussian kernel of the given radius in
 * pixels (standard deviation radius / 2, three box passes). A radius below 0.5 returns the image
 * unchanged. The result has the same size: coverage that spreads past the edges is lost, so
 * callers leave a margin of at least the radius.
 */
QImage blurImage(const QImage &image, double radius);

/**
 * The shadow that coverage (any image; only its alpha is used) casts in colour: every pixel becomes
 * colour at alpha x colour.alpha, then blurred by blurRadius. Same size as coverage.
 */
QImage shadowImage(const QImage &coverage, const QColor &colour, double blurRadius);

} // namespace Platterkit::render
