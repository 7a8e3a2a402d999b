#include "Platterkit/render/ShadowBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Platterkit::render {
namespace {

// One box pass of half-width r along rows (horizontal) or columns, over the four 8-bit channels of
// premultiplied pixels. A running sum keeps it linear in the image size whatever the radius.
void boxPass(QImage &image, int r, bool horizontal)
{
    if (r <= 0)
        return;
    const int width = image.width();
    const int height = image.height();
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int window = 2 * r + 1;
    std::vector<quint32> line(static_cast<size_t>(length));
    for (int l = 0; l < lines; ++l) {
        auto pixel = [&](int i) -> quint32 & {
            return horizontal ? reinterpret_cast<quint32 *>(image.scanLine(l))[i]
                              : reinterpret_cast<quint32 *>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i)
            line[static_cast<size_t>(i)] = pixel(i);
        // Pixels beyond the edge count as transparent.
        int sums[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length)
                return;
            const quint32 p = line[static_cast<size_t>(i)];
            for (int c = 0; c < 4; ++c)
                sums[c] += sign * static_cast<int>((p >> (8 * c)) & 0xff);
        };
        for (int i = -r; i <= r; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            quint32 out = 0;
            for (int c = 0; c < 4; ++c)
                out |= static_cast<quint32>((sums[c] + window / 2) / window) << (8 * c);
            pixel(i) = out;
            add(i - r, -1);
            add(i + r + 1, 1);
        }
    }
}

} // namespace

QImage blurImage(const QImage &image, double radius)
{
    if (image.isNull() || !(radius >= 0.5))
        return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Three box passes of width w give a variance of 3 (w^2 - 1) / 12; pick w for sigma = r / 2.
    // Past the image's own size a wider box changes nothing but the cost.
    const double sigma = std::min(radius, 2.0 * std::max(image.width(), image.height())) / 2.0;
    const int boxWidth
        = std::max(1, static_cast<int>(std::lround(std::sqrt(4.0 * sigma * sigma + 1.0))));
    const int half = boxWidth / 2;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(out, half, true);
        boxPass(out, half, false);
    }
    return out;
}

QImage shadowImage(const QImage &coverage, const QColor &colour, double blurRadius)
{
    if (coverage.isNull())
        return QImage();
    const QImage alpha = coverage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage tinted(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    const QColor rgb = colour.toRgb();
    const double colourAlpha = rgb.alphaF();
    for (int y = 0; y < alpha.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(alpha.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(tinted.scanLine(y));
        for (int x = 0; x < alpha.width(); ++x) {
            const double a = qAlpha(in[x]) / 255.0 * colourAlpha;
            out[x] = qRgba(qRound(rgb.redF() * a * 255.0),
                           qRound(rgb.greenF() * a * 255.0),
                           qRound(rgb.blueF() * a * 255.0),
                           qRound(a * 255.0));
        }
    }
    return blurImage(tinted, blurRadius);
}

} // namespace Platterkit::render
