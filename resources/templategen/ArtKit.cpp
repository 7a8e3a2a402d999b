#include "ArtKit.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace templategen {

uint64_t Rng::next()
{
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform(double lo, double hi)
{
    const double unit = double(next() >> 11) / double(1ull << 53);
    return lo + (hi - lo) * unit;
}

int Rng::range(int lo, int hiExclusive)
{
    if (hiExclusive <= lo)
        return lo;
    return lo + int(next() % uint64_t(hiExclusive - lo));
}

QImage newCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    const double s = 1.0 - t;
    return QColor::fromRgbF(float(a.redF() * s + b.redF() * t),
                            float(a.greenF() * s + b.greenF() * t),
                            float(a.blueF() * s + b.blueF() * t),
                            float(a.alphaF() * s + b.alphaF() * t));
}

QColor withAlpha(const QColor &color, double alpha)
{
    QColor out = color;
    out.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return out;
}

namespace {

// One horizontal box pass of the given radius over 4 interleaved 8-bit channels, then transposed
// so that two calls blur both directions.
void boxPassTransposed(
    const std::vector<uint8_t> &src, std::vector<uint8_t> &dst, int width, int height, int radius)
{
    const int window = 2 * radius + 1;
    for (int y = 0; y < height; ++y) {
        const uint8_t *row = src.data() + size_t(y) * width * 4;
        for (int c = 0; c < 4; ++c) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k)
                sum += row[std::clamp(k, 0, width - 1) * 4 + c];
            for (int x = 0; x < width; ++x) {
                dst[(size_t(x) * height + y) * 4 + c] = uint8_t((sum + window / 2) / window);
                const int out = std::clamp(x - radius, 0, width - 1);
                const int in = std::clamp(x + radius + 1, 0, width - 1);
                sum += row[in * 4 + c] - row[out * 4 + c];
            }
        }
    }
}

} // namespace

void blur(QImage &image, int radius)
{
    if (radius <= 0 || image.isNull())
        return;
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    const int h = image.height();
    std::vector<uint8_t> a(size_t(w) * h * 4);
    std::vector<uint8_t> b(a.size());
    for (int y = 0; y < h; ++y)
        std::copy_n(image.constScanLine(y), size_t(w) * 4, a.data() + size_t(y) * w * 4);
    for (int pass = 0; pass < 3; ++pass) {
        boxPassTransposed(a, b, w, h, radius);
        boxPassTransposed(b, a, h, w, radius);
    }
    for (int y = 0; y < h; ++y)
        std::copy_n(a.data() + size_t(y) * w * 4, size_t(w) * 4, image.scanLine(y));
}

void drawSoftShape(
    QPainter &painter, const QPainterPath &path, const QColor &color, int radius, QPointF offset)
{
    const QRectF bounds = path.boundingRect().translated(offset).adjusted(
        -3.0 * radius - 2, -3.0 * radius - 2, 3.0 * radius + 2, 3.0 * radius + 2);
    const QRect area = bounds.toAlignedRect();
    QImage layer = newCanvas(area.width(), area.height());
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-area.topLeft() + offset);
        p.fillPath(path, color);
    }
    blur(layer, radius);
    painter.drawImage(area.topLeft(), layer);
}

bool savePng(const QImage &image, const QString &path)
{
    return image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG");
}

} // namespace templategen
