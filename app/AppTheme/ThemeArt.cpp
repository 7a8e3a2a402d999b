#include "app/AppTheme/ThemeArt.h"

#include "app/AppExtention/Function/ApplicationImage.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace AppTheme::ThemeArt {

namespace {

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// One part of a three-part bezel: a rounded end cap or the fill between, a vertical gradient.
QImage bezelPart(const QString &part, int height, bool pressed, bool popUp, bool pullDown)
{
    const int width
        = part == QLatin1String("Fill") ? 4 : (part == QLatin1String("Right") && popUp ? 18 : 8);
    QImage image = blank(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, height);
    fill.setColorAt(0, pressed ? QColor(95, 95, 100) : QColor(72, 72, 76));
    fill.setColorAt(1, pressed ? QColor(55, 55, 60) : QColor(38, 38, 42));
    p.setPen(QPen(QColor(140, 140, 145, 200), 1));
    p.setBrush(fill);
    const double r = 4;
    if (part == QLatin1String("Fill")) {
        p.fillRect(QRectF(0, 1, width, height - 2), fill);
        p.drawLine(QPointF(0, 0.5), QPointF(width, 0.5));
        p.drawLine(QPointF(0, height - 0.5), QPointF(width, height - 0.5));
    } else if (part == QLatin1String("Left")) {
        p.drawRoundedRect(QRectF(0.5, 0.5, width + 2 * r, height - 1), r, r);
    } else {
        p.drawRoundedRect(QRectF(-2 * r, 0.5, width + 2 * r - 0.5, height - 1), r, r);
        if (popUp) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(235, 235, 235));
            QPainterPath arrow;
            const double cx = width / 2.0 - 1, cy = height / 2.0;
            if (pullDown) {
                arrow.moveTo(cx - 3.5, cy - 2);
                arrow.lineTo(cx + 3.5, cy - 2);
                arrow.lineTo(cx, cy + 2.5);
            } else {
                arrow.moveTo(cx - 3, cy - 1.5);
                arrow.lineTo(cx + 3, cy - 1.5);
                arrow.lineTo(cx, cy - 5.5);
                arrow.closeSubpath();
                arrow.moveTo(cx - 3, cy + 1.5);
                arrow.lineTo(cx + 3, cy + 1.5);
                arrow.lineTo(cx, cy + 5.5);
            }
            arrow.closeSubpath();
            p.drawPath(arrow);
        }
    }
    return image;
}

QImage checkbox(bool on, bool pressed)
{
    QImage image = blank(14, 14);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 200, 205), 1));
    p.setBrush(pressed ? QColor(110, 110, 115) : QColor(50, 50, 55));
    p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 3, 3);
    if (on) {
        p.setPen(QPen(QColor(250, 250, 250), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3.5, 7), QPointF(6, 10), QPointF(10.5, 4)}));
    }
    return image;
}

QImage sliderTrack(const QString &part)
{
    const int width = part == QLatin1String("Fill") ? 4 : 3;
    QImage image = blank(width, 5);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(210, 210, 215));
    if (part == QLatin1String("Fill"))
        p.fillRect(QRectF(0, 0, width, 5), QColor(210, 210, 215));
    else if (part == QLatin1String("Left"))
        p.drawRoundedRect(QRectF(0.5, 0.5, width + 3, 4), 2, 2);
    else
        p.drawRoundedRect(QRectF(-3.5, 0.5, width + 3, 4), 2, 2);
    return image;
}

QImage sliderThumb(bool triangle, bool pressed)
{
    QImage image = blank(13, 13);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(pressed ? QColor(170, 170, 175) : QColor(240, 240, 240));
    if (triangle) {
        QPainterPath path;
        path.moveTo(1.5, 1.5);
        path.lineTo(11.5, 1.5);
        path.lineTo(11.5, 7);
        path.lineTo(6.5, 11.5);
        path.lineTo(1.5, 7);
        path.closeSubpath();
        p.drawPath(path);
    } else {
        p.drawEllipse(QRectF(1.5, 1.5, 10, 10));
    }
    return image;
}

QImage transportIcon(const QString &kind)
{
    QImage image = blank(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 235, 235));
    QPainterPath path;
    if (kind == QLatin1String("play")) {
        path.moveTo(7, 4);
        path.lineTo(20, 12);
        path.lineTo(7, 20);
        path.closeSubpath();
    } else if (kind == QLatin1String("pause")) {
        path.addRect(6, 5, 4, 14);
        path.addRect(14, 5, 4, 14);
    } else if (kind == QLatin1String("previous")) {
        path.addRect(4, 6, 3, 12);
        path.moveTo(20, 6);
        path.lineTo(8, 12);
        path.lineTo(20, 18);
        path.closeSubpath();
    } else {
        path.addRect(17, 6, 3, 12);
        path.moveTo(4, 6);
        path.lineTo(16, 12);
        path.lineTo(4, 18);
        path.closeSubpath();
    }
    p.drawPath(path);
    return image;
}

QImage progressPart(const QString &name)
{
    if (name == QLatin1String("player_progress_point")) {
        QImage image = blank(13, 13);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(245, 245, 245));
        p.drawEllipse(QRectF(1.5, 1.5, 10, 10));
        return image;
    }
    QImage image = blank(8, 5);
    image.fill(name == QLatin1String("player_progress_bar") ? QColor(70, 150, 255)
                                                            : QColor(90, 90, 95));
    return image;
}

QImage draw(const QString &name)
{
    const bool pressed = name.endsWith(QLatin1Char('P'));
    if (name.startsWith(QLatin1String("TransparentButton"))) {
        const QString part = name.mid(17, name.size() - 18);
        return bezelPart(part, 22, pressed, false, false);
    }
    if (name.startsWith(QLatin1String("TransparentPopUpPullDownRight")))
        return bezelPart(QStringLiteral("Right"), 20, pressed, true, true);
    if (name.startsWith(QLatin1String("TransparentPopUp"))) {
        const QString part = name.mid(16, name.size() - 17);
        return bezelPart(part, 20, pressed, true, false);
    }
    if (name.startsWith(QLatin1String("TransparentCheckbox")))
        return checkbox(name.contains(QLatin1String("On")), pressed);
    if (name.startsWith(QLatin1String("TransparentSliderTrack")))
        return sliderTrack(name.mid(22));
    if (name.startsWith(QLatin1String("TransparentSliderTriangleThumb")))
        return sliderThumb(true, pressed);
    if (name.startsWith(QLatin1String("TransparentSliderThumb")))
        return sliderThumb(false, pressed);
    if (name.startsWith(QLatin1String("preview_action_")))
        return transportIcon(name.mid(15));
    if (name.startsWith(QLatin1String("player_progress_")))
        return progressPart(name);
    return QImage();
}

} // namespace

QImage imageNamed(const QString &name)
{
    static QHash<QString, QImage> cache;
    QString base = name;
    if (base.endsWith(QLatin1String(".tiff")))
        base.chop(5);
    const auto found = cache.constFind(base);
    if (found != cache.constEnd())
        return *found;
    QImage image = ApplicationImage::imageNamed(base);
    if (image.isNull())
        image = draw(base);
    cache.insert(base, image);
    return image;
}

} // namespace AppTheme::ThemeArt
