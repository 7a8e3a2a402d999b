#pragma once

#include "Reelsmith/imaging/Filter.h"

// The filters that change each pixel's colour by itself: colour controls, hue, exposure, invert.
// Look-alikes of the usual adjustments, on straight colour in 0..1. Threads: see imaging::Filter.
namespace Reelsmith::effects {

/** "ColorControls": saturation (1 neutral), brightness (added, 0 neutral), contrast (1 neutral). */
class ColorControlsFilter final : public imaging::FilterOf<ColorControlsFilter>
{
public:
    ColorControlsFilter();
    bool isNeutral() const override;
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

/** "HueAdjust": turns the hue by inputAngle radians (0 neutral). */
class HueAdjustFilter final : public imaging::FilterOf<HueAdjustFilter>
{
public:
    HueAdjustFilter();
    bool isNeutral() const override;
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

/** "ExposureAdjust": colours times 2^inputEV (0 neutral). */
class ExposureAdjustFilter final : public imaging::FilterOf<ExposureAdjustFilter>
{
public:
    ExposureAdjustFilter();
    bool isNeutral() const override;
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

/** "ColorInvert": each colour component c becomes 1 - c. */
class ColorInvertFilter final : public imaging::FilterOf<ColorInvertFilter>
{
public:
    ColorInvertFilter();
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

} // namespace Reelsmith::effects
