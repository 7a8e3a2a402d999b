#pragma once

#include <QImage>
#include <QPointF>

/**
 * A picture placed in a video frame: the image and the position of its lower-left corner in the
 * frame's pixels (origin at the bottom-left, y up). Bitmap subtitles travel this way.
 */
struct LMPlacedImage
{
    QImage image;
    QPointF origin;

    bool isNull() const { return image.isNull(); }
};
