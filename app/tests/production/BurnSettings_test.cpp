// The request a burn sheet's settings make, and the starts it refuses before anything is made.

#include "app/production/BurnSettings.h"
#include "support/ProductionFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Discwright;
using Kind = OutputNaming::OutputKind;
using Outcome = BurnStart::Outcome;

class BurnSettingsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { production_fixtures::installShippedStrings(); }
};

TEST_F(BurnSettingsTest, TheSettingsMakeTheRequestOrTheAlertThatRefusesIt)
{
    QTemporaryDir output;
    QTemporaryDir temp;
    const QString gone = output.filePath("gone");
    constexpr std::int64_t kUsed = 1'000'000;
    const auto plenty = [](const QString &) { return std::int64_t(10'000'000); };
    const auto little = [](const QString &) { return std::int64_t(2'000'000); };
    struct Row
    {
        const char *name;
        BurnSettings settings;
        std::function<std::int64_t(const QString &)> free;
        Outcome outcome;
        QString output;
        QString workFolder;
        int copies;
        qint64 format;
        QString alertKey;
    };
    const QString longName = QString(40, QLatin1Char('x'));
    const Row rows[] = {
        {"a disc is made under the temporary root",
         {Kind::Disc, output.path(), "Holiday", "3", 1},
         plenty,
         Outcome::Start,
         {},
         {},
         3,
         1,
         {}},
        {"a video folder in the chosen folder, NTSC",
         {Kind::VideoFolder, output.path(), "Holiday", "1", 0},
         plenty,
         Outcome::Start,
         output.filePath("Holiday"),
         output.filePath("temp"),
         1,
         0,
         {}},
        {"an image in the chosen folder, copies clamped",
         {Kind::IsoImage, output.path(), "Holiday", "0", 1},
         plenty,
         Outcome::Start,
         output.filePath("Holiday.iso"),
         output.filePath("temp"),
         1,
         1,
         {}},
        {"a folder that is gone",
         {Kind::MediaFolder, gone, "Holiday", "1", 1},
         plenty,
         Outcome::NoOutputFolder,
         {},
         {},
         0,
         0,
         {}},
        {"a name too long",
         {Kind::IsoImage, output.path(), longName, "1", 1},
         plenty,
         Outcome::NameTooLong,
         {},
         {},
         0,
         0,
         "DVD Name is too long , the max length is 31 chars ."},
        {"too little space",
         {Kind::Disc, output.path(), "Holiday", "1", 1},
         little,
         Outcome::NotEnoughSpace,
         {},
         {},
         0,
         0,
         "Free disk space is not enough."},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const BurnStart start = makeProductionRequest(row.settings, kUsed, temp.path(), row.free);
        EXPECT_EQ(start.outcome, row.outcome);
        EXPECT_EQ(start.alert.key, row.alertKey);
        if (row.outcome != Outcome::Start)
            continue;
        EXPECT_EQ(start.request.kind, row.settings.kind);
        EXPECT_EQ(start.request.output, row.output);
        EXPECT_EQ(start.request.workFolder, row.workFolder);
        EXPECT_EQ(start.request.copies, row.copies);
        EXPECT_EQ(start.request.format, row.format);
        EXPECT_EQ(start.request.name, "Holiday");
    }
}

// The alert names the values in its informative line and keeps the diagnostic for its details.
TEST_F(BurnSettingsTest, ARefusedStartsAlertCarriesItsValuesAndItsReason)
{
    QTemporaryDir output;
    const BurnStart start = makeProductionRequest(
        {Kind::IsoImage, output.path(), "Holiday", "1", 1}, 1'000'000, {}, [](const QString &) {
            return 1000;
        });
    ASSERT_EQ(start.outcome, Outcome::NotEnoughSpace);
    EXPECT_EQ(start.alert.informativeArguments.size(), 2);
    EXPECT_FALSE(start.alert.informativeText().contains("%@"));
    EXPECT_TRUE(start.alert.reason.contains(output.path()));
}

} // namespace
