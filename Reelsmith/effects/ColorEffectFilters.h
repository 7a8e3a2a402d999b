#pragma once

#include "Reelsmith/imaging/Filter.h"

// The filters that recolour a picture by its luminance: monochrome tint and sepia. Look-alikes,
// on straight colour in 0..1, mixed with the original by inputIntensity. Threads: see
// imaging::Filter.
namespace Reelsmith::effects {

/**
 * "ColorMonochrome": the luminance shown in shades of inputColor (a QColor): dark pixels go
 * towards black, light ones towards white, mid-grey becomes the colour itself. A grey colour
 * gives equal red, green and blue.
 */
class ColorMonochromeFilter final : public imaging::FilterOf<ColorMonochromeFilter>
{
public:
    ColorMonochromeFilter();
    bool isNeutral() const override;
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

/** "SepiaTone": the warm brown tone of old prints. */
class SepiaToneFilter final : public imaging::FilterOf<SepiaToneFilter>
{
public:
    SepiaToneFilter();
    bool isNeutral() const override;
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

} // namespace Reelsmith::effects
