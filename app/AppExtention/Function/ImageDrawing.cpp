#include "app/AppExtention/Function/ImageDrawing.h"

#include "app/AppExtention/Function/RectGeometry.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

namespace Discwright::ImageDrawing {
namespace {

// The least n below 100 with n x step >= length, or 0 when none is.
int tilesFor(int length, int step)
{
    if (length <= 0)
        return 0;
    if (step <= 0)
        return 0;
    for (int n = 0; n < 100; ++n) {
        if (qint64(n) * step >= length)
            return n;
    }
    return 0;
}

} // namespace

void drawImageInRect(QPainter &painter, const QImage &image, const QRectF &rect)
{
    if (image.isNull())
        return;
    const QRectF target = RectGeometry::scaleRectIn(QRectF(QPointF(0, 0), image.size()), rect);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.drawImage(target, image);
    painter.restore();
}

QImage rotateImage(const QImage &image, QSize size, float degrees)
{
    if (size.isEmpty())
        return QImage();
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    if (image.isNull())
        return out;
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(size.width() / 2.0, size.height() / 2.0);
    // QImage rows run downwards, so a counter-clockwise turn is a negative painter angle.
    painter.rotate(-degrees);
    painter.translate(-size.width() / 2.0, -size.height() / 2.0);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), image);
    return out;
}

void drawTitleAtRect(
    QPainter &painter, const QRectF &rect, const QString &text, int fontSize, const QColor &color)
{
    QFont font = QGuiApplication::font();
    font.setPointSize(std::max(1, fontSize));
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideMiddle, rect.width());
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, shown);
    painter.restore();
}

QImage getNoScaledImage(const QImage &tile, QSize size)
{
    if (size.isEmpty())
        return QImage();
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const int rows = tilesFor(size.height(), tile.height());
    const int columns = tilesFor(size.width(), tile.width());
    if (rows == 0 || columns == 0)
        return out;
    // Only the part of the tiled sheet at the origin is kept, so the tiles are drawn straight into
    // the answer.
    QPainter painter(&out);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            painter.drawImage(QPointF(column * tile.width(), row * tile.height()), tile);
    }
    return out;
}

} // namespace Discwright::ImageDrawing
