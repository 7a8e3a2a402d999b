// The disc size estimate and the gauge texts made of it.

#include "app/production/DiscSizeEstimate.h"

#include <gtest/gtest.h>

namespace {

using namespace Discwright::DiscSizeEstimate;

TEST(DiscSizeEstimate, BytesForSecondsAndRate)
{
    struct Row
    {
        const char *name;
        double seconds;
        std::int64_t kbps;
        std::int64_t bytes;
    };
    const Row rows[] = {
        {"one hour at 4000 kbps", 3600, 4000, 2087354105},
        {"a rate below 1000 counts as 1000", 3600, 200, estimatedBytes(3600, 1000)},
        {"no margin at 8000 kbps", 1, 8000, 1073741},
        {"nothing to put on the disc", 0, 4000, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(estimatedBytes(row.seconds, row.kbps), row.bytes);
    }
    // The margin grows as the rate falls: 24 % at 2000, 56 % at 1000 over the plain rate.
    EXPECT_NEAR(
        estimatedBytes(1000, 2000) / (1000 * 2000 / 8.0 * 1048576 * 1.024 / 1000), 1.24, 1e-6);
    EXPECT_NEAR(
        estimatedBytes(1000, 1000) / (1000 * 1000 / 8.0 * 1048576 * 1.024 / 1000), 1.56, 1e-6);
}

TEST(DiscSizeEstimate, WhatCountsTowardsTheDisc)
{
    DiscContent content;
    content.titles = {{{1000, 200}, true}, {{400}, false}};
    content.pageSeconds = {30, 30};
    struct Row
    {
        const char *name;
        bool noMenu;
        std::optional<double> warning;
        double seconds;
    };
    const Row rows[] = {
        {"menus: placed titles and the pages", false, std::nullopt, 1260},
        {"no menu: every title, no pages", true, std::nullopt, 1600},
        {"a warning video adds its length", false, 15.0, 1275},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        content.noMenu = row.noMenu;
        content.warningSeconds = row.warning;
        EXPECT_DOUBLE_EQ(contentSeconds(content), row.seconds);
    }
}

TEST(DiscSizeEstimate, GaugeTexts)
{
    const std::int64_t hour = estimatedBytes(3600, 4000);
    EXPECT_EQ(capacityLabel(hour, discTypeForIndex(0)), "2087 MB / 4700 MB on D5");
    EXPECT_EQ(capacityLabel(hour, discTypeForIndex(1)), "2087 MB / 8300 MB on D9");
    EXPECT_EQ(capacityLabel(8000000, DiscType::SingleLayer), "8 MB / 4700 MB on D5");
    EXPECT_EQ(customSizeText(hour), "2087 MB");
    EXPECT_FLOAT_EQ(capacityFraction(2350000000, DiscType::SingleLayer), 0.5f);
    EXPECT_FLOAT_EQ(capacityFraction(6110000000, DiscType::SingleLayer), 1.3f);
}

TEST(DiscSizeEstimate, SizesForPeople)
{
    struct Row
    {
        std::int64_t bytes;
        const char *text;
    };
    const Row rows[] = {
        {1500000000, "1.5 GB"},
        {999999999, "999.0 MB"},
        {1000000000, "1000.0 MB"},
        {1001000000, "1.0 GB"},
        {0, "0.0 MB"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(spaceDisplayString(row.bytes), row.text);
    }
}

} // namespace
