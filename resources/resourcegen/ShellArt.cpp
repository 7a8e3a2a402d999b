#include "ShellArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace resourcegen {

namespace {

QImage blank(QSize size)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QImage drawPreviewButton(bool enabled)
{
    QImage image = blank(QSize(64, 64));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 64);
    fill.setColorAt(0, enabled ? QColor(90, 170, 255) : QColor(150, 150, 150));
    fill.setColorAt(1, enabled ? QColor(20, 80, 190) : QColor(90, 90, 90));
    painter.setPen(QPen(enabled ? QColor(230, 240, 255) : QColor(190, 190, 190), 2));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(4, 4, 56, 56));
    // The centre hole of a disc, then the play mark over it.
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(27, 27, 10, 10));
    QPainterPath play;
    play.moveTo(25, 18);
    play.lineTo(47, 32);
    play.lineTo(25, 46);
    play.closeSubpath();
    painter.setBrush(enabled ? QColor(255, 255, 255, 235) : QColor(220, 220, 220, 160));
    painter.drawPath(play);
    return image;
}

QImage drawPreviousButton(bool enabled)
{
    QImage image = blank(QSize(48, 48));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(enabled ? QColor(230, 240, 255) : QColor(150, 150, 150), 2));
    painter.setBrush(enabled ? QColor(40, 110, 200) : QColor(90, 90, 90));
    painter.drawRoundedRect(QRectF(3, 3, 42, 42), 8, 8);
    QPainterPath arrow;
    arrow.moveTo(30, 12);
    arrow.lineTo(16, 24);
    arrow.lineTo(30, 36);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(enabled ? QColor(255, 255, 255) : QColor(170, 170, 170),
                        5,
                        Qt::SolidLine,
                        Qt::RoundCap,
                        Qt::RoundJoin));
    painter.drawPath(arrow);
    return image;
}

QImage drawCropDragHandle()
{
    QImage image = blank(QSize(32, 32));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 128, 0), 4));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(QRectF(3, 3, 26, 26));
    return image;
}

QImage drawDefaultImage()
{
    QImage image = blank(QSize(320, 240));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(image.rect(), QColor(48, 48, 52));
    const QRectF strip(40, 50, 240, 140);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(25, 25, 28));
    painter.drawRoundedRect(strip, 8, 8);
    painter.setBrush(QColor(200, 200, 205));
    for (int i = 0; i < 8; ++i) {
        painter.drawRect(QRectF(52 + i * 28, 58, 14, 10));
        painter.drawRect(QRectF(52 + i * 28, 172, 14, 10));
    }
    painter.setBrush(QColor(110, 130, 160));
    painter.drawRect(QRectF(60, 78, 200, 84));
    return image;
}

QImage drawFormatBadge(const QString &extension, bool isVideo)
{
    QImage image = blank(QSize(96, 96));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.setBrush(QColor(245, 245, 245));
    painter.drawRoundedRect(QRectF(16, 6, 64, 84), 6, 6);
    const QColor band = isVideo ? QColor(40, 110, 200) : QColor(200, 110, 30);
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRect(QRectF(17, 52, 62, 24));
    QFont font;
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(17, 52, 62, 24), Qt::AlignCenter, extension.toUpper());
    return image;
}

} // namespace resourcegen
