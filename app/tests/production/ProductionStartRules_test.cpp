// The checks before a production run: the disc name, the copies and the free disk space.

#include "app/production/ProductionStartRules.h"
#include "support/ProductionFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Discwright::ProductionStartRules;

class ProductionStartRulesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { production_fixtures::installShippedStrings(); }
};

TEST_F(ProductionStartRulesTest, DiscNames)
{
    struct Row
    {
        const char *name;
        QString field;
        QString discName;
        bool tooLong;
    };
    const Row rows[] = {
        {"empty is My Disc", QString(), "My Disc", false},
        {"empty text is My Disc", "", "My Disc", false},
        {"31 ASCII bytes pass", QString(31, u'a'), QString(31, u'a'), false},
        {"32 ASCII bytes are refused", QString(32, u'a'), QString(32, u'a'), true},
        {"11 three-byte characters (33 bytes) are refused",
         QString(11, QChar(0x4e2d)),
         QString(11, QChar(0x4e2d)),
         true},
        {"10 three-byte characters (30 bytes) pass",
         QString(10, QChar(0x4e2d)),
         QString(10, QChar(0x4e2d)),
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = discNameFromField(row.field);
        EXPECT_EQ(name, row.discName);
        EXPECT_EQ(isDiscNameTooLong(name), row.tooLong);
    }
    EXPECT_EQ(discNameTooLongMessage("Holiday"), "'Holiday' is too long");
    EXPECT_EQ(discNameTooLongTitle(), "DVD Name is too long , the max length is 31 chars .");
}

TEST_F(ProductionStartRulesTest, CopiesAreKeptBetween1And999)
{
    const std::pair<QString, int> rows[] = {{"0", 1},
                                            {"abc", 1},
                                            {"5000", 999},
                                            {"2", 2},
                                            {" 12x", 12},
                                            {"-4", 1},
                                            {"", 1},
                                            {"99999999999999999999", 999}};
    for (const auto &[text, copies] : rows) {
        SCOPED_TRACE(qPrintable(text));
        EXPECT_EQ(burnCopiesFromText(text), copies);
    }
}

TEST_F(ProductionStartRulesTest, FreeSpaceMustExceedTwoAndAHalfTimesTheEstimate)
{
    struct Row
    {
        const char *name;
        std::int64_t free;
        std::int64_t estimate;
        bool enough;
    };
    const Row rows[] = {
        {"exactly 2.5 times is not enough", 2500, 1000, false},
        {"one byte more is", 2501, 1000, true},
        {"the fraction is truncated", 2503, 1001, true},
        {"an empty project needs any space", 1, 0, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(hasEnoughFreeSpace(row.free, row.estimate), row.enough);
    }
    EXPECT_EQ(freeSpaceAlertMessage(1500000000, 5218385262),
              "1.5 GB space is available on the disk.\nTo continue,free 5.2 GB of disk space and "
              "try again.");
    EXPECT_EQ(freeSpaceAlertTitle(), "Free disk space is not enough.");
}

TEST_F(ProductionStartRulesTest, FreeBytesOfAFolderNotMadeYet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::int64_t here = freeBytesAtPath(dir.path());
    EXPECT_GT(here, 0);
    // The work folder does not exist before the check: its nearest folder is asked.
    EXPECT_GT(freeBytesAtPath(dir.filePath("temp/deeper")), 0);
}

TEST_F(ProductionStartRulesTest, MenuPagesHoldTwelveTitlesWideAndEighteenNarrow)
{
    struct Row
    {
        const char *name;
        qsizetype titles;
        bool play;
        qint64 aspect;
        bool over;
    };
    const Row rows[] = {
        {"16:9, 11 titles and the play button", 11, true, 1, false},
        {"16:9, 12 titles and the play button", 12, true, 1, true},
        {"16:9, 12 titles, no play button", 12, false, 1, false},
        {"16:9, 13 titles, no play button", 13, false, 1, true},
        {"4:3, 17 titles and the play button", 17, true, 0, false},
        {"4:3, 18 titles and the play button", 18, true, 0, true},
        {"4:3, 18 titles, no play button", 18, false, 0, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(menuPageOverLimit(row.titles, row.play, row.aspect), row.over);
    }
    EXPECT_TRUE(menuPageLimitMessage(1).startsWith("One 16:9 DVD menu page only support max 12"));
    EXPECT_TRUE(menuPageLimitMessage(0).startsWith("One 4:3 DVD menu page only support max 18"));
}

} // namespace

namespace {

TEST_F(ProductionStartRulesTest, OverfullDiscAsksForAFolderOrImageAndRefusesADrive)
{
    using Discwright::DiscSizeEstimate::DiscType;
    using Discwright::OutputNaming::OutputKind;
    constexpr std::int64_t kDvd5 = 4700000000;
    const std::int64_t twoAndAHalfHours = Discwright::DiscSizeEstimate::estimatedBytes(9000, 4000);
    struct Row
    {
        const char *name;
        std::int64_t bytes;
        DiscType type;
        OverfullDecision folder; // and image
        OverfullDecision drive;
        const char *sizes;
    };
    const Row rows[] = {
        {"2.5 h at 4000 kbps on D5",
         twoAndAHalfHours,
         DiscType::SingleLayer,
         OverfullDecision::AskToContinue,
         OverfullDecision::Refuse,
         "5218 MB / 4700 MB on D5"},
        {"2.5 h at 4000 kbps on D9",
         twoAndAHalfHours,
         DiscType::DualLayer,
         OverfullDecision::Start,
         OverfullDecision::Start,
         "5218 MB / 8300 MB on D9"},
        {"exactly the disc",
         kDvd5,
         DiscType::SingleLayer,
         OverfullDecision::Start,
         OverfullDecision::Start,
         "4700 MB / 4700 MB on D5"},
        {"a byte under the disc",
         kDvd5 - 1,
         DiscType::SingleLayer,
         OverfullDecision::Start,
         OverfullDecision::Start,
         "4699 MB / 4700 MB on D5"},
        {"a byte over the disc",
         kDvd5 + 1,
         DiscType::SingleLayer,
         OverfullDecision::AskToContinue,
         OverfullDecision::Refuse,
         "4700 MB / 4700 MB on D5"},
        {"5259 MB on D5",
         5259000000,
         DiscType::SingleLayer,
         OverfullDecision::AskToContinue,
         OverfullDecision::Refuse,
         "5259 MB / 4700 MB on D5"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        for (const OutputKind kind :
             {OutputKind::VideoFolder, OutputKind::MediaFolder, OutputKind::IsoImage}) {
            EXPECT_EQ(overfullDecision(row.bytes, row.type, kind), row.folder) << int(kind);
        }
        EXPECT_EQ(overfullDecision(row.bytes, row.type, OutputKind::Disc), row.drive);
        EXPECT_EQ(exceedsDisc(row.bytes, row.type), row.drive == OverfullDecision::Refuse);
        // The alert shows the gauge's own sizes, then what the person can do.
        EXPECT_TRUE(overfullAlertMessage(row.bytes, row.type, OutputKind::IsoImage)
                        .startsWith(QLatin1String(row.sizes)))
            << qPrintable(overfullAlertMessage(row.bytes, row.type, OutputKind::IsoImage));
    }
    EXPECT_EQ(overfullAlertTitle(), "The project does not fit on the disc.");
    EXPECT_EQ(overfullAlertMessage(5259000000, DiscType::SingleLayer, OutputKind::IsoImage),
              "5259 MB / 4700 MB on D5\nYou can still make it, but it will not fit on one disc "
              "of this type.");
    EXPECT_EQ(overfullAlertMessage(5259000000, DiscType::SingleLayer, OutputKind::Disc),
              "5259 MB / 4700 MB on D5\nChoose a lower quality or a larger disc type, or remove "
              "some video, and try again.");
    EXPECT_EQ(overfullContinueButton(), "Continue");
    EXPECT_EQ(overfullCancelButton(), "Cancel");
}

} // namespace
