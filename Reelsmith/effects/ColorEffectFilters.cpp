#include "Reelsmith/effects/ColorEffectFilters.h"

#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/effects/PixelLoops.h"

#include <QColor>
#include <cmath>

namespace Reelsmith::effects {

using detail::forEachColour;

ColorMonochromeFilter::ColorMonochromeFilter()
    : FilterOf(QStringLiteral("ColorMonochrome"))
{
    setValue(keys::color, QColor::fromRgbF(0.6f, 0.45f, 0.3f, 1.0f));
    setValue(keys::intensity, 1.0f);
}

bool ColorMonochromeFilter::isNeutral() const
{
    return std::fabs(number(keys::intensity, 1)) <= 1e-6f;
}

void ColorMonochromeFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const QColor tint = value(keys::color).value<QColor>().toRgb();
    const float tone[3] = {float(tint.redF()), float(tint.greenF()), float(tint.blueF())};
    const float intensity = std::clamp(number(keys::intensity, 1), 0.0f, 1.0f);
    forEachColour(input, output, [&](float rgb[3]) {
        const float lum = std::clamp(detail::luminance(rgb), 0.0f, 1.0f);
        for (int k = 0; k < 3; ++k) {
            const float shade = lum < 0.5f ? 2 * lum * tone[k] : 1 - 2 * (1 - lum) * (1 - tone[k]);
            rgb[k] += (shade - rgb[k]) * intensity;
        }
    });
}

SepiaToneFilter::SepiaToneFilter()
    : FilterOf(QStringLiteral("SepiaTone"))
{
    setValue(keys::intensity, 1.0f);
}

bool SepiaToneFilter::isNeutral() const
{
    return std::fabs(number(keys::intensity, 1)) <= 1e-6f;
}

void SepiaToneFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const float t = std::clamp(number(keys::intensity, 1), 0.0f, 1.0f);
    const float sepia[3][3]
        = {{0.393f, 0.769f, 0.189f}, {0.349f, 0.686f, 0.168f}, {0.272f, 0.534f, 0.131f}};
    float m[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = (i == j ? 1 - t : 0.0f) + t * sepia[i][j];
    const float none[3] = {0, 0, 0};
    detail::applyColourMatrix(input, output, m, none);
}

} // namespace Reelsmith::effects
