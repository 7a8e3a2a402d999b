#include "Reelsmith/effects/LightFilters.h"

#include "Reelsmith/effects/FilterKeys.h"

#include <QColor>
#include <QVector3D>
#include <cmath>

namespace Reelsmith::effects {

SpotLightFilter::SpotLightFilter()
    : FilterOf(QStringLiteral("SpotLight"))
{
    setValue(keys::lightPosition, QVector3D(400, 600, 150));
    setValue(keys::lightPointsAt, QVector3D(200, 200, 0));
    setValue(keys::brightness, 3.0f);
    setValue(keys::concentration, 0.1f);
    setValue(keys::color, QColor::fromRgbF(1, 1, 1, 1));
}

void SpotLightFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const QVector3D light = value(keys::lightPosition).value<QVector3D>();
    const QVector3D aim = (value(keys::lightPointsAt).value<QVector3D>() - light).normalized();
    const float brightness = number(keys::brightness, 3);
    const float concentration = std::max(0.0f, number(keys::concentration, 0.1f));
    const QColor colour = value(keys::color).value<QColor>().toRgb();
    const float tint[3] = {float(colour.redF()), float(colour.greenF()), float(colour.blueF())};
    const QRect &r = output.rect;
    for (int y = r.y(); y < r.y() + r.height(); ++y) {
        const uint8_t *s = input.pixel(r.x(), y);
        uint8_t *d = output.row(y);
        for (int i = 0; i < r.width(); ++i) {
            const QVector3D toLight
                = (light - QVector3D(float(r.x() + i) + 0.5f, float(y) + 0.5f, 0)).normalized();
            const float facing = std::max(0.0f, -QVector3D::dotProduct(toLight, aim));
            const float beam = std::pow(facing, concentration);
            const float gain = brightness * beam * std::max(0.0f, toLight.z());
            const uint8_t *p = s + i * 4;
            for (int k = 0; k < 3; ++k)
                d[i * 4 + k] = uint8_t(std::clamp(p[k] * gain * tint[k], 0.0f, float(p[3])) + 0.5f);
            d[i * 4 + 3] = p[3];
        }
    }
}

} // namespace Reelsmith::effects
