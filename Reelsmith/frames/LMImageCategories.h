#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>

// What the engine adds to plain pictures and colours.
namespace LMImageCategories {

/**
 * image stretched about its origin to size. A size of 1 or less on either side, or an empty
 * image, gives the image itself: those sizes are the callers' "no output size yet".
 */
QImage scaleCIImageToSize(const QImage &image, const QSizeF &size);

/** color in the RGB model with the same red, green, blue and alpha, whatever model it was given in. */
QColor CIColor(const QColor &color);

} // namespace LMImageCategories
