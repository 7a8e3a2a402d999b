#include "Reelsmith/effects/EffectManager.h"

#include "Reelsmith/effects/ArrayFilter.h"
#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/effects/FilterRegistry.h"

#include <QColor>
#include <QPointF>
#include <QVector3D>
#include <initializer_list>
#include <utility>

namespace keys = Reelsmith::effects::keys;

namespace {

using Values = std::initializer_list<std::pair<QLatin1StringView, QVariant>>;

EffectManager::FilterPtr configured(const QString &name, Values values)
{
    EffectManager::FilterPtr filter = Reelsmith::effects::filterWithName(name);
    if (!filter)
        return nullptr;
    for (const auto &[key, value] : values)
        filter->setValue(key, value);
    return filter;
}

EffectManager::FilterPtr chain(std::initializer_list<EffectManager::FilterPtr> filters)
{
    auto array = std::dynamic_pointer_cast<ArrayFilter>(
        Reelsmith::effects::filterWithName(QStringLiteral("ArrayFilter")));
    if (!array)
        return nullptr;
    ArrayFilter::FilterList list;
    for (const auto &filter : filters)
        if (filter)
            list.append(filter);
    array->setFilters(list);
    return array;
}

QColor rgba(double r, double g, double b, double a = 1)
{
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

EffectManager::FilterPtr colorControls(float saturation, float brightness, float contrast)
{
    return configured(QStringLiteral("ColorControls"),
                      {{keys::saturation, saturation},
                       {keys::brightness, brightness},
                       {keys::contrast, contrast}});
}

EffectManager::FilterPtr monochrome(const QColor &colour)
{
    return configured(QStringLiteral("ColorMonochrome"),
                      {{keys::color, colour}, {keys::intensity, 1.0f}});
}

} // namespace

EffectManager &EffectManager::manager()
{
    // A function-local static: the first callers wait for one construction, whatever the thread.
    static EffectManager *instance = [] {
        ArrayFilter::initialize();
        return new EffectManager;
    }();
    return *instance;
}

EffectManager::FilterPtr EffectManager::sharedFilterWithName(const QString &name)
{
    return manager().filterWithName(name);
}

QStringList EffectManager::sharedAllFilterNames()
{
    return manager().allFilterNames();
}

EffectManager::EffectManager()
{
    makeEffects();
}

void EffectManager::makeEffects()
{
    const QColor grey = rgba(0.6, 0.6, 0.6);
    const std::pair<QString, FilterPtr> entries[] = {
        {QStringLiteral("1935"), colorControls(0.0f, 0.00949f, 1.353f)},
        {QStringLiteral("1955"), colorControls(0.0f, 0.3592f, 1.6258f)},
        {QStringLiteral("1960"), colorControls(0.664f, 0.2781f, 1.407f)},
        {QStringLiteral("1970"), colorControls(0.8281f, 0.1744f, 1.5788f)},
        {QStringLiteral("Color Invert"), configured(QStringLiteral("ColorInvert"), {})},
        {QStringLiteral("Exposure"),
         configured(QStringLiteral("ExposureAdjust"), {{keys::ev, 3.0f}})},
        {QStringLiteral("Blur"),
         configured(QStringLiteral("GaussianBlur"), {{keys::radius, 10.0f}})},
        {QStringLiteral("Sharpen"),
         configured(QStringLiteral("SharpenLuminance"), {{keys::sharpness, 10.0f}})},
        {QStringLiteral("Vibrance"), colorControls(1.58f, -0.02f, 1.08f)},
        {QStringLiteral("Big Softie"), colorControls(0.718f, 0.0f, 1.0f)},
        {QStringLiteral("SpotLight"),
         configured(QStringLiteral("SpotLight"),
                    {{keys::lightPosition, QVector3D(400, 400, 1000)},
                     {keys::lightPointsAt, QVector3D(200, 200, 0)},
                     {keys::brightness, 4.5f},
                     {keys::concentration, 1.5f},
                     {keys::color, rgba(1, 1, 1)}})},
        {QStringLiteral("Line Screen"),
         configured(QStringLiteral("LineScreen"),
                    {{keys::center, QPointF(0, 0)},
                     {keys::angle, 180.0f},
                     {keys::width, 5.0f},
                     {keys::sharpness, 0.7f}})},
        {QStringLiteral("Black White"), monochrome(grey)},
        {QStringLiteral("Blackout B&W"),
         chain({monochrome(grey),
                configured(QStringLiteral("ExposureAdjust"), {{keys::ev, 2.5478f}})})},
        {QStringLiteral("Color Control"),
         configured(QStringLiteral("HueAdjust"), {{keys::angle, 3.14f}})},
        {QStringLiteral("Monochrome"), monochrome(rgba(132 / 255.0, 97 / 255.0, 153 / 255.0))},
        {QStringLiteral("Glow"),
         chain(
             {configured(QStringLiteral("Gloom"), {{keys::radius, 30.0f}, {keys::intensity, 1.0f}}),
              colorControls(1.0f, 0.25f, 2.2f)})},
        {QStringLiteral("Gloom"),
         configured(QStringLiteral("Gloom"), {{keys::radius, 30.0f}, {keys::intensity, 1.0f}})},
        {QStringLiteral("Bloom"),
         configured(QStringLiteral("Bloom"), {{keys::radius, 40.0f}, {keys::intensity, 1.0f}})},
        {QStringLiteral("Pixellate"),
         configured(QStringLiteral("HexagonalPixellate"),
                    {{keys::center, QPointF(0, 0)}, {keys::scale, 8.0f}})},
        {QStringLiteral("Bright"), colorControls(1.9f, 0.3f, 1.78f)},
        {QStringLiteral("Copper"), monochrome(rgba(43 / 255.0, 222 / 255.0, 248 / 255.0))},
        {QStringLiteral("Classical"),
         configured(QStringLiteral("SepiaTone"), {{keys::intensity, 1.0f}})},
        {QStringLiteral("New Effection"), monochrome(rgba(252 / 255.0, 146 / 255.0, 41 / 255.0))},
    };
    for (const auto &[name, filter] : entries) {
        m_names.append(name);
        if (filter)
            m_effects.insert(name, filter);
    }
}

EffectManager::FilterPtr EffectManager::filterWithName(const QString &name) const
{
    const FilterPtr stored = m_effects.value(name);
    return stored ? stored->copy() : nullptr;
}

QList<EffectManager::FilterPtr> EffectManager::allFilters() const
{
    QList<FilterPtr> result;
    for (const QString &name : m_names)
        if (FilterPtr filter = filterWithName(name))
            result.append(std::move(filter));
    return result;
}
