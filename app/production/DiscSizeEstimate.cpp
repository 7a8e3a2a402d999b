#include "app/production/DiscSizeEstimate.h"

#include <algorithm>
#include <cstdint>

namespace Discwright::DiscSizeEstimate {

namespace {
constexpr std::int64_t kBytesPerMegabyte = 1000000;
} // namespace

double contentSeconds(const DiscContent &content)
{
    double seconds = 0.0;
    for (const DiscContent::Title &title : content.titles) {
        if (!content.noMenu && !title.placedOnMenu)
            continue;
        for (double clip : title.clipSeconds)
            seconds += clip;
    }
    if (content.warningSeconds)
        seconds += *content.warningSeconds;
    if (!content.noMenu) {
        for (double page : content.pageSeconds)
            seconds += page;
    }
    return seconds;
}

std::int64_t estimatedBytes(double seconds, std::int64_t bitrateKbps)
{
    const std::int32_t rate = std::int32_t(std::max<std::int64_t>(bitrateKbps, 1000));
    // The order of the operations is kept: stored projects and the status line compare against
    // figures computed this way, and a reordering moves the last digits.
    const double bytes
        = seconds * rate / 1000 / 8 * 1048576 * 1.024 * (1 + 0.08 * (8000.0 / rate - 1));
    return std::int64_t(bytes);
}

std::int64_t capacityBytes(DiscType type)
{
    return type == DiscType::SingleLayer ? std::int64_t(4700000000) : std::int64_t(8300000000);
}

QString capacityLabelName(DiscType type)
{
    return type == DiscType::SingleLayer ? QStringLiteral("D5") : QStringLiteral("D9");
}

DiscType discTypeForIndex(int index)
{
    return index == 0 ? DiscType::SingleLayer : DiscType::DualLayer;
}

QString capacityLabel(std::int64_t usedBytes, DiscType type)
{
    const auto used = std::uint64_t(usedBytes) / std::uint64_t(kBytesPerMegabyte);
    const auto capacity = std::uint64_t(capacityBytes(type)) / std::uint64_t(kBytesPerMegabyte);
    return QStringLiteral("%1 MB / %2 MB on %3")
        .arg(qulonglong(used))
        .arg(qulonglong(capacity))
        .arg(capacityLabelName(type));
}

float capacityFraction(std::int64_t usedBytes, DiscType type)
{
    return float(usedBytes * 1.0 / capacityBytes(type));
}

QString customSizeText(std::int64_t usedBytes)
{
    return QStringLiteral("%1 MB").arg(qlonglong(usedBytes / kBytesPerMegabyte));
}

QString spaceDisplayString(std::int64_t bytes)
{
    double value = double(bytes / kBytesPerMegabyte);
    QString unit = QStringLiteral("MB");
    if (value > 1000.0) {
        value /= 1000.0;
        unit = QStringLiteral("GB");
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(unit);
}

} // namespace Discwright::DiscSizeEstimate
