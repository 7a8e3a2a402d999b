#include "Reelsmith/effects/ColorAdjustFilters.h"

#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/effects/PixelLoops.h"

#include <cmath>

namespace Reelsmith::effects {

namespace {
constexpr float kNeutralTolerance = 1e-6f;
bool near(float value, float neutral)
{
    return std::fabs(value - neutral) <= kNeutralTolerance;
}
} // namespace

ColorControlsFilter::ColorControlsFilter()
    : FilterOf(QStringLiteral("ColorControls"))
{
    setValue(keys::saturation, 1.0f);
    setValue(keys::brightness, 0.0f);
    setValue(keys::contrast, 1.0f);
}

bool ColorControlsFilter::isNeutral() const
{
    return near(number(keys::saturation, 1), 1) && near(number(keys::brightness), 0)
           && near(number(keys::contrast, 1), 1);
}

void ColorControlsFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const float saturation = number(keys::saturation, 1);
    const float brightness = number(keys::brightness);
    const float contrast = number(keys::contrast, 1);
    // Saturation mixes each component with the luminance, brightness adds and contrast stretches
    // about the middle: one affine colour matrix.
    const float weights[3] = {0.2125f, 0.7154f, 0.0721f};
    float m[3][3];
    float offset[3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m[i][j] = contrast * ((i == j ? saturation : 0.0f) + (1 - saturation) * weights[j]);
        offset[i] = contrast * (brightness - 0.5f) + 0.5f;
    }
    detail::applyColourMatrix(input, output, m, offset);
}

HueAdjustFilter::HueAdjustFilter()
    : FilterOf(QStringLiteral("HueAdjust"))
{
    setValue(keys::angle, 0.0f);
}

bool HueAdjustFilter::isNeutral() const
{
    return near(number(keys::angle), 0);
}

void HueAdjustFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    // A turn of the chroma plane of YIQ: luma stays, the hue goes round.
    const float angle = number(keys::angle);
    const float c = std::cos(angle), s = std::sin(angle);
    const float toYiq[3][3]
        = {{0.299f, 0.587f, 0.114f}, {0.596f, -0.274f, -0.322f}, {0.211f, -0.523f, 0.312f}};
    const float toRgb[3][3]
        = {{1.0f, 0.956f, 0.621f}, {1.0f, -0.272f, -0.647f}, {1.0f, -1.106f, 1.703f}};
    const float turn[3][3] = {{1, 0, 0}, {0, c, -s}, {0, s, c}};
    float m[3][3];
    float tmp[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            tmp[i][j] = 0;
            for (int k = 0; k < 3; ++k)
                tmp[i][j] += turn[i][k] * toYiq[k][j];
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            m[i][j] = 0;
            for (int k = 0; k < 3; ++k)
                m[i][j] += toRgb[i][k] * tmp[k][j];
        }
    const float none[3] = {0, 0, 0};
    detail::applyColourMatrix(input, output, m, none);
}

ExposureAdjustFilter::ExposureAdjustFilter()
    : FilterOf(QStringLiteral("ExposureAdjust"))
{
    setValue(keys::ev, 0.0f);
}

bool ExposureAdjustFilter::isNeutral() const
{
    return near(number(keys::ev), 0);
}

void ExposureAdjustFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const float gain = std::exp2(number(keys::ev));
    const float m[3][3] = {{gain, 0, 0}, {0, gain, 0}, {0, 0, gain}};
    const float none[3] = {0, 0, 0};
    detail::applyColourMatrix(input, output, m, none);
}

ColorInvertFilter::ColorInvertFilter()
    : FilterOf(QStringLiteral("ColorInvert"))
{}

void ColorInvertFilter::apply(const imaging::Tile &input, const imaging::Tile &output) const
{
    const float m[3][3] = {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    const float one[3] = {1, 1, 1};
    detail::applyColourMatrix(input, output, m, one);
}

} // namespace Reelsmith::effects
