#pragma once

// Picture drawing of the common kit, on QImage and QPainter. Any thread, for images and painters
// that the caller alone uses; the title text needs the application's font database, so a
// QGuiApplication must exist.

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace Discwright::ImageDrawing {

// Draws the whole image aspect-fitted into rect (source over, full opacity).
void drawImageInRect(QPainter &painter, const QImage &image, const QRectF &rect);
// A new ARGB picture of size with image scaled into the whole of it and turned by degrees
// counter-clockwise about its centre; null for an empty size.
QImage rotateImage(const QImage &image, QSize size, float degrees);
// The string in the label font of fontSize points and colour, centred in rect and elided in the
// middle when it is too wide. painter draws with y downwards (a widget, or a QImage as it is).
void drawTitleAtRect(
    QPainter &painter, const QRectF &rect, const QString &text, int fontSize, const QColor &color);
// The tile repeated without scaling from the top-left corner and cut to size. A tile that would
// need 100 or more copies along a side (an empty tile among them) gives a transparent picture of
// the requested size.
QImage getNoScaledImage(const QImage &tile, QSize size);

} // namespace Discwright::ImageDrawing
