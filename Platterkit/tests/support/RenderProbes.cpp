#include "RenderProbes.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>

namespace testing_support {

QImage solidImage(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

QImage bandedImage(int width, int height, const QList<QColor> &topToBottom)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const int count = static_cast<int>(topToBottom.size());
    for (int i = 0; i < count; ++i) {
        const int top = height * i / count;
        const int bottom = height * (i + 1) / count;
        painter.fillRect(QRect(0, top, width, bottom - top), topToBottom[i]);
    }
    return image;
}

QImage stripedImage(int width, int height, const QList<QColor> &leftToRight)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const int count = static_cast<int>(leftToRight.size());
    for (int i = 0; i < count; ++i) {
        const int left = width * i / count;
        const int right = width * (i + 1) / count;
        painter.fillRect(QRect(left, 0, right - left, height), leftToRight[i]);
    }
    return image;
}

QColor colourAt(const QImage &picture, double x, double yUp)
{
    const int column = static_cast<int>(std::floor(x));
    const int row = picture.height() - 1 - static_cast<int>(std::floor(yUp));
    if (picture.isNull() || !picture.valid(column, row))
        return QColor();
    return picture.pixelColor(column, row);
}

bool sameColour(const QColor &a, const QColor &b, int tolerance)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    // Fully transparent pixels have no meaningful colour.
    if (a.alpha() == 0 && b.alpha() == 0)
        return true;
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance
           && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

QString describe(const QColor &colour)
{
    if (!colour.isValid())
        return QStringLiteral("(outside)");
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

} // namespace testing_support
