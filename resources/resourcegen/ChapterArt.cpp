#include "ChapterArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace resourcegen {

namespace {

QImage blankImage(QSize size)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QImage drawEditPlay()
{
    QImage image = blankImage(QSize(32, 32));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath play;
    play.moveTo(10, 7);
    play.lineTo(25, 16);
    play.lineTo(10, 25);
    play.closeSubpath();
    painter.fillPath(play, QColor(60, 60, 60));
    return image;
}

QImage drawEditPause()
{
    QImage image = blankImage(QSize(32, 32));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 60, 60));
    painter.drawRoundedRect(QRectF(9, 7, 5, 18), 1, 1);
    painter.drawRoundedRect(QRectF(18, 7, 5, 18), 1, 1);
    return image;
}

QImage drawChapterProgressBack()
{
    QImage image = blankImage(QSize(64, 8));
    QPainter painter(&image);
    QLinearGradient fill(0, 0, 0, 8);
    fill.setColorAt(0, QColor(30, 30, 30));
    fill.setColorAt(1, QColor(80, 80, 80));
    painter.fillRect(image.rect(), fill);
    painter.setPen(QColor(10, 10, 10));
    painter.drawLine(0, 0, 63, 0);
    return image;
}

QImage drawChapterProgressButton()
{
    QImage image = blankImage(QSize(14, 14));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 14);
    fill.setColorAt(0, QColor(250, 250, 250));
    fill.setColorAt(1, QColor(170, 170, 170));
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(1, 1, 12, 12));
    return image;
}

QImage drawChapterMarker(bool selected)
{
    QImage image = blankImage(QSize(26, 26));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A tab whose point touches the bar above it.
    QPainterPath flag;
    flag.moveTo(13, 1);
    flag.lineTo(22, 9);
    flag.lineTo(22, 24);
    flag.lineTo(4, 24);
    flag.lineTo(4, 9);
    flag.closeSubpath();
    QLinearGradient fill(0, 0, 0, 26);
    if (selected) {
        fill.setColorAt(0, QColor(90, 170, 255));
        fill.setColorAt(1, QColor(20, 90, 190));
    } else {
        fill.setColorAt(0, QColor(215, 215, 215));
        fill.setColorAt(1, QColor(140, 140, 140));
    }
    painter.setPen(QPen(QColor(20, 20, 20), 1));
    painter.setBrush(fill);
    painter.drawPath(flag);
    return image;
}

} // namespace resourcegen
