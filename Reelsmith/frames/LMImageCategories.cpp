#include "Reelsmith/frames/LMImageCategories.h"

#include <cmath>

namespace LMImageCategories {

QImage scaleCIImageToSize(const QImage &image, const QSizeF &size)
{
    if (!(size.width() > 1 && size.height() > 1) || image.isNull())
        return image;
    const int width = int(std::lround(size.width()));
    const int height = int(std::lround(size.height()));
    return image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QColor CIColor(const QColor &color)
{
    return color.isValid() ? color.toRgb() : QColor(Qt::transparent);
}

} // namespace LMImageCategories
