#include "Reelsmith/effects/StylizeFilters.h"

#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/effects/PixelLoops.h"

#include <QPointF>
#include <cmath>
#include <numbers>

namespace Reelsmith::effects {

HexagonalPixellateFilter::HexagonalPixellateFilter()
    : FilterOf(QStringLiteral("HexagonalPixellate"))
{
    setValue(keys::center, QPointF(150, 150));
    setValue(keys::scale, 8.0f);
}

bool HexagonalPixellateFilter::isNeutral() const
{
    return !(number(keys::scale, 8) > 1.0f);
}

int HexagonalPixellateFilter::reach() const
{
    return int(std::ceil(std::max(1.0f, number(keys::scale, 8)))) + 1;
}

void HexagonalPixellateFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const double size = std::max(1.0f, number(keys::scale, 8));
    const QPointF centre = value(keys::center).toPointF();
    const double sqrt3 = std::sqrt(3.0);
    const QRect &r = output.rect;
    const QRect &in = input.rect;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        uint8_t *d = output.row(y);
        for (int i = 0; i < r.width(); ++i) {
            // Axial coordinates of flat-topped hexagons, rounded through cube coordinates.
            const double px = r.x() + i + 0.5 - centre.x(), py = y + 0.5 - centre.y();
            const double q = (2.0 / 3.0 * px) / size;
            const double s = (-1.0 / 3.0 * px + sqrt3 / 3.0 * py) / size;
            double cx = q, cz = s, cy = -q - s;
            double rx = std::round(cx), ry = std::round(cy), rz = std::round(cz);
            const double dx = std::fabs(rx - cx), dy = std::fabs(ry - cy), dz = std::fabs(rz - cz);
            if (dx > dy && dx > dz)
                rx = -ry - rz;
            else if (dy <= dz)
                rz = -rx - ry;
            const double hx = size * 1.5 * rx + centre.x();
            const double hy = size * sqrt3 * (rz + rx / 2) + centre.y();
            const int sx = std::clamp(int(std::floor(hx)), in.x(), in.x() + in.width() - 1);
            const int sy = std::clamp(int(std::floor(hy)), in.y(), in.y() + in.height() - 1);
            std::memcpy(d + i * 4, input.pixel(sx, sy), 4);
        }
    }
}

LineScreenFilter::LineScreenFilter()
    : FilterOf(QStringLiteral("LineScreen"))
{
    setValue(keys::center, QPointF(150, 150));
    setValue(keys::angle, 0.0f);
    setValue(keys::width, 6.0f);
    setValue(keys::sharpness, 0.7f);
}

void LineScreenFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const QPointF centre = value(keys::center).toPointF();
    const double angle = number(keys::angle);
    const double width = std::max(1.0f, number(keys::width, 6));
    const float softness
        = std::clamp(1.0f - number(keys::sharpness, 0.7f), 0.0f, 1.0f) * 0.5f + 0.01f;
    const double ca = std::cos(angle), sa = std::sin(angle);
    const QRect &r = output.rect;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const uint8_t *s = input.pixel(r.x(), y);
        uint8_t *d = output.row(y);
        for (int i = 0; i < r.width(); ++i) {
            const uint8_t *p = s + i * 4;
            const float a = p[3];
            if (a == 0) {
                std::memset(d + i * 4, 0, 4);
                continue;
            }
            const float rgb[3] = {p[0] / a, p[1] / a, p[2] / a};
            const float lum = detail::luminance(rgb);
            const double across
                = (r.x() + i + 0.5 - centre.x()) * -sa + (y + 0.5 - centre.y()) * ca;
            const float pattern
                = float(0.5 + 0.5 * std::cos(2 * std::numbers::pi * across / width));
            const float t = std::clamp((lum - pattern + softness) / (2 * softness), 0.0f, 1.0f);
            const float ink = t * t * (3 - 2 * t);
            const uint8_t v = uint8_t(ink * a + 0.5f);
            d[i * 4] = d[i * 4 + 1] = d[i * 4 + 2] = v;
            d[i * 4 + 3] = p[3];
        }
    }
}

} // namespace Reelsmith::effects
