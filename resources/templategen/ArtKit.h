#pragma once

// Small drawing helpers shared by the template artwork: a seeded random source (the artwork must come
// out the same on every build), colour mixing, blurred shadows and glows.

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <cstdint>

namespace templategen {

// splitmix64: tiny, fast and the same everywhere, unlike the standard distributions.
class Rng
{
public:
    explicit Rng(uint64_t seed)
        : m_state(seed)
    {}
    uint64_t next();
    // Uniform in [lo, hi).
    double uniform(double lo, double hi);
    int range(int lo, int hiExclusive);

private:
    uint64_t m_state;
};

// A transparent premultiplied canvas, the format every drawing helper works in.
QImage newCanvas(int width, int height);

QColor mix(const QColor &a, const QColor &b, double t);
QColor withAlpha(const QColor &color, double alpha);

// Three box-blur passes over every channel of a premultiplied image: close to a Gaussian of the
// given radius, and cheap enough for full pages.
void blur(QImage &image, int radius);

// Draws path filled with color, blurred by radius and moved by offset, under whatever the painter
// draws next: a soft drop shadow or, with a light colour and no offset, a glow.
void drawSoftShape(QPainter &painter,
                   const QPainterPath &path,
                   const QColor &color,
                   int radius,
                   QPointF offset = {});

// Writes the image as a non-premultiplied PNG; false when the file cannot be written.
bool savePng(const QImage &image, const QString &path);

} // namespace templategen
