#include "app/production/DiscQuality.h"

#include "platform/StringTable.h"

#include <algorithm>

namespace Discwright::DiscQuality {

const std::int64_t *fixedBitratesKbps()
{
    static const std::int64_t rates[kFixedQualityCount] = {7000, 4000, 2000, 1000};
    return rates;
}

QStringList qualityTitleKeys()
{
    return {QStringLiteral("Best Quality"),
            QStringLiteral("High Quality"),
            QStringLiteral("Standard"),
            QStringLiteral("General")};
}

QString customQualityTitleKey()
{
    return QStringLiteral("Custom Quality - (%ld)");
}

QString customQualityTitle(std::int64_t customBitrateKbps)
{
    return platform::localizedString(customQualityTitleKey())
        .replace(QLatin1String("%ld"), QString::number(customBitrateKbps));
}

std::int64_t bitrateForQualityTag(int tag)
{
    if (tag < 0 || tag >= kFixedQualityCount)
        return -1;
    return fixedBitratesKbps()[tag];
}

int qualityTagForBitrate(std::int64_t bitrateKbps)
{
    for (int tag = 0; tag < kFixedQualityCount; ++tag) {
        if (fixedBitratesKbps()[tag] == bitrateKbps)
            return tag;
    }
    return kCustomQualityTag;
}

std::int64_t clampCustomBitrate(std::int64_t bitrateKbps)
{
    return std::max(std::min(bitrateKbps, kMaximumCustomBitrateKbps), kMinimumCustomBitrateKbps);
}

} // namespace Discwright::DiscQuality
