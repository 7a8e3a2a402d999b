#pragma once

#include "Reelsmith/imaging/Filter.h"

// Lighting filters. Look-alikes. Threads: see imaging::Filter.
namespace Reelsmith::effects {

/**
 * "SpotLight": lights the picture (lying at z = 0) with a spot at inputLightPosition (a
 * QVector3D) aimed at inputLightPointsAt, of inputBrightness, with a beam that narrows as
 * inputConcentration grows, in inputColor.
 */
class SpotLightFilter final : public imaging::FilterOf<SpotLightFilter>
{
public:
    SpotLightFilter();
    void apply(const imaging::Tile &input, const imaging::Tile &output) const override;
};

} // namespace Reelsmith::effects
