#pragma once

// The video quality choices of the main window: four fixed bit rates and a custom one, the menu
// tag of each, and the bounds of the custom rate. Pure functions; any thread.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace Discwright::DiscQuality {

// The menu tag of the custom item; the fixed items are tagged 0 to 3 by their row.
constexpr int kCustomQualityTag = 9999;
constexpr std::int64_t kMinimumCustomBitrateKbps = 1000;
constexpr std::int64_t kMaximumCustomBitrateKbps = 7000;

// The four fixed rates in menu order: 7000, 4000, 2000, 1000 kbps.
const std::int64_t *fixedBitratesKbps();
constexpr int kFixedQualityCount = 4;

// The English titles of tags 0 to 3, the keys of the string table.
QStringList qualityTitleKeys();
// "Custom Quality - (%ld)", the key of the custom item's title.
QString customQualityTitleKey();
// The custom item's title (looked up in the string table) filled with the rate.
QString customQualityTitle(std::int64_t customBitrateKbps);

// The rate of a fixed tag; -1 for any other tag.
std::int64_t bitrateForQualityTag(int tag);
// The tag whose rate equals bitrateKbps, else kCustomQualityTag (8000 or 3000 are custom).
int qualityTagForBitrate(std::int64_t bitrateKbps);
// What the custom field stores of a typed rate: at most 7000, then at least 1000.
std::int64_t clampCustomBitrate(std::int64_t bitrateKbps);

} // namespace Discwright::DiscQuality
