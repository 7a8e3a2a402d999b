#pragma once

// The offscreen drawing target of menu rendering: a transparent ARGB bitmap with a painter whose
// coordinates are menu points with the origin at the lower left and y growing upwards (one point is
// one pixel). The y flip happens here, once; code that draws into such a painter thinks in page
// coordinates and uses drawImageUpright for pictures.

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <memory>

namespace Platterkit::render {

class MenuBitmap
{
public:
    /**
     * A bitmap of size (rounded to whole pixels as bitmapPixelSize says), cleared to transparent,
     * with its y-up painter active. isNull() when no bitmap can be made for that size.
     */
    explicit MenuBitmap(const QSizeF &size);
    ~MenuBitmap();
    MenuBitmap(const MenuBitmap &) = delete;
    MenuBitmap &operator=(const MenuBitmap &) = delete;

    bool isNull() const { return !m_painter; }
    // The y-up painter; null for a null bitmap. Valid until finish().
    QPainter *painter() const { return m_painter.get(); }
    // The bitmap's rectangle in its own coordinates, (0, 0, width, height).
    QRectF bounds() const;
    // Ends drawing and hands over the picture (premultiplied ARGB); a null image for a null bitmap.
    QImage finish();

private:
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
};

/** Gives a fresh painter on image the y-up page coordinates of a picture of that height. */
void applyYUpTransform(QPainter &painter, double height);

/**
 * Draws source (a part of image given in the image's own y-up coordinates; an empty source means
 * the whole image) into dest (y up) of a y-up painter, upright, with the painter's current
 * composition mode and opacity. A null image draws nothing.
 */
void drawImageUpright(QPainter &painter,
                      const QRectF &dest,
                      const QImage &image,
                      const QRectF &source = QRectF());

} // namespace Platterkit::render
