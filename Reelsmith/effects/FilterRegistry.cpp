#include "Reelsmith/effects/FilterRegistry.h"

#include "Reelsmith/effects/BlurFilters.h"
#include "Reelsmith/effects/ColorAdjustFilters.h"
#include "Reelsmith/effects/ColorEffectFilters.h"
#include "Reelsmith/effects/LightFilters.h"
#include "Reelsmith/effects/StylizeFilters.h"

#include <QHash>
#include <algorithm>
#include <mutex>

namespace Reelsmith::effects {

namespace {

template <class T, class... Args> FilterConstructor make(Args... args)
{
    return [=] { return std::make_shared<T>(args...); };
}

struct Registry
{
    std::mutex lock;
    QHash<QString, FilterConstructor> constructors;

    Registry()
    {
        constructors.insert(QStringLiteral("ColorControls"), make<ColorControlsFilter>());
        constructors.insert(QStringLiteral("HueAdjust"), make<HueAdjustFilter>());
        constructors.insert(QStringLiteral("ExposureAdjust"), make<ExposureAdjustFilter>());
        constructors.insert(QStringLiteral("ColorInvert"), make<ColorInvertFilter>());
        constructors.insert(QStringLiteral("ColorMonochrome"), make<ColorMonochromeFilter>());
        constructors.insert(QStringLiteral("SepiaTone"), make<SepiaToneFilter>());
        constructors.insert(QStringLiteral("GaussianBlur"), make<GaussianBlurFilter>());
        constructors.insert(QStringLiteral("SharpenLuminance"), make<SharpenLuminanceFilter>());
        constructors.insert(QStringLiteral("Gloom"), make<GlowFilter>(GlowFilter::Kind::Gloom));
        constructors.insert(QStringLiteral("Bloom"), make<GlowFilter>(GlowFilter::Kind::Bloom));
        constructors.insert(QStringLiteral("HexagonalPixellate"), make<HexagonalPixellateFilter>());
        constructors.insert(QStringLiteral("LineScreen"), make<LineScreenFilter>());
        constructors.insert(QStringLiteral("SpotLight"), make<SpotLightFilter>());
    }
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

} // namespace

std::shared_ptr<imaging::Filter> filterWithName(const QString &name)
{
    FilterConstructor constructor;
    {
        Registry &r = registry();
        std::lock_guard guard(r.lock);
        constructor = r.constructors.value(name);
    }
    return constructor ? constructor() : nullptr;
}

void registerFilterName(const QString &name, FilterConstructor constructor)
{
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    r.constructors.insert(name, std::move(constructor));
}

QStringList filterNames()
{
    Registry &r = registry();
    std::lock_guard guard(r.lock);
    QStringList names = r.constructors.keys();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace Reelsmith::effects
