#pragma once

#include <QLatin1StringView>

// The parameter keys of the engine's filters, as the effect catalogue and the frame image set them.
namespace Reelsmith::effects::keys {

inline constexpr QLatin1StringView saturation{"inputSaturation"};
inline constexpr QLatin1StringView brightness{"inputBrightness"};
inline constexpr QLatin1StringView contrast{"inputContrast"};
inline constexpr QLatin1StringView angle{"inputAngle"};
inline constexpr QLatin1StringView sharpness{"inputSharpness"};
inline constexpr QLatin1StringView radius{"inputRadius"};
inline constexpr QLatin1StringView ev{"inputEV"};
inline constexpr QLatin1StringView color{"inputColor"};
inline constexpr QLatin1StringView intensity{"inputIntensity"};
inline constexpr QLatin1StringView center{"inputCenter"};
inline constexpr QLatin1StringView scale{"inputScale"};
inline constexpr QLatin1StringView width{"inputWidth"};
inline constexpr QLatin1StringView lightPosition{"inputLightPosition"};
inline constexpr QLatin1StringView lightPointsAt{"inputLightPointsAt"};
inline constexpr QLatin1StringView concentration{"inputConcentration"};
inline constexpr QLatin1StringView filters{"filters"};

} // namespace Reelsmith::effects::keys
