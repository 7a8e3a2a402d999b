#pragma once

// How many bytes a project will take on the disc, and the texts of the capacity gauge: the same
// estimate feeds the gauge, the custom quality sheet, the disc status and the free disk space
// check before production. Pure functions; any thread.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace Discwright::DiscSizeEstimate {

// The playing time that goes on the disc.
struct DiscContent
{
    struct Title
    {
        // The trimmed durations of the title's clips, in seconds.
        std::vector<double> clipSeconds;
        // The title has an item on some menu page.
        bool placedOnMenu = false;
    };
    std::vector<Title> titles;
    // Without menus every title counts; with menus only the titles placed on a page do, and
    // every page adds its own duration.
    bool noMenu = false;
    // The trimmed duration of the warning video when one is played before the menu.
    std::optional<double> warningSeconds;
    std::vector<double> pageSeconds;
};

// The disc types of the type pop-up, by index.
enum class DiscType { SingleLayer = 0, DualLayer = 1 };

// The seconds that content adds up to.
double contentSeconds(const DiscContent &content);
// The estimate in bytes for seconds at bitrateKbps (rates below 1000 count as 1000): the video
// rate with a multiplexing margin that grows as the rate falls, 8 % at 4000 kbps.
std::int64_t estimatedBytes(double seconds, std::int64_t bitrateKbps);
inline std::int64_t estimatedBytes(const DiscContent &content, std::int64_t bitrateKbps)
{
    return estimatedBytes(contentSeconds(content), bitrateKbps);
}

// 4,700,000,000 or 8,300,000,000 bytes.
std::int64_t capacityBytes(DiscType type);
// "D5" or "D9".
QString capacityLabelName(DiscType type);
// The type of a pop-up index: 0 single layer, any other dual layer.
DiscType discTypeForIndex(int index);

// "2087 MB / 4700 MB on D5": the estimate and the capacity in whole megabytes (10^6).
QString capacityLabel(std::int64_t usedBytes, DiscType type);
// The gauge's fraction of the disc used, above 1 when the project does not fit.
float capacityFraction(std::int64_t usedBytes, DiscType type);
// "2087 MB", the estimate shown in the custom quality sheet.
QString customSizeText(std::int64_t usedBytes);
// Sizes for people: whole megabytes, shown in GB above 1000 MB: "1.5 GB", "999.0 MB",
// "1000.0 MB".
QString spaceDisplayString(std::int64_t bytes);

} // namespace Discwright::DiscSizeEstimate
