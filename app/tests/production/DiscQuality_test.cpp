// The quality menu's rates and the custom rate's bounds.

#include "app/production/DiscQuality.h"
#include "platform/StringTable.h"

#include <gtest/gtest.h>

namespace {

using namespace Discwright::DiscQuality;

TEST(DiscQuality, TagsAndRates)
{
    struct Row
    {
        std::int64_t kbps;
        int tag;
    };
    const Row rows[] = {{7000, 0},
                        {4000, 1},
                        {2000, 2},
                        {1000, 3},
                        {8000, kCustomQualityTag},
                        {3000, kCustomQualityTag}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.kbps);
        EXPECT_EQ(qualityTagForBitrate(row.kbps), row.tag);
        if (row.tag != kCustomQualityTag) {
            EXPECT_EQ(bitrateForQualityTag(row.tag), row.kbps);
        }
    }
    EXPECT_EQ(bitrateForQualityTag(kCustomQualityTag), -1);
    EXPECT_EQ(qualityTitleKeys().at(1), "High Quality");
}

TEST(DiscQuality, CustomRateIsKeptBetween1000And7000)
{
    const std::pair<std::int64_t, std::int64_t> rows[]
        = {{9000, 7000}, {200, 1000}, {7000, 7000}, {1000, 1000}, {5500, 5500}, {-5, 1000}};
    for (const auto &[typed, stored] : rows) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(clampCustomBitrate(typed), stored);
    }
}

TEST(DiscQuality, TitlesComeFromTheStringTable)
{
    auto table = platform::StringTable::fromFile(
        QStringLiteral(DW_BINARY_DIR "/resources/Localizable.plist"));
    ASSERT_TRUE(table);
    for (const QString &key : qualityTitleKeys())
        EXPECT_TRUE(table->contains(key)) << qPrintable(key);
    platform::StringTable::install(table);
    EXPECT_EQ(customQualityTitle(5500), "Custom Quality - (5500)");
}

} // namespace
