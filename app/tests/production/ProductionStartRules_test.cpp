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
