// When the open/save sheet of the main window shows, and the line it shows.

#include "app/AppExtention/Document/PackageProgressState.h"
#include "platform/StringTable.h"

#include <gtest/gtest.h>

namespace {

using Job = PackageProgressState::Job;

// The sheet's lines come from the program's string table.
class PackageProgressStateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto table = platform::StringTable::fromFile(
            QStringLiteral(DW_BINARY_DIR "/resources/Localizable.plist"));
        ASSERT_TRUE(table);
        platform::StringTable::install(table);
    }
};

TEST_F(PackageProgressStateTest, EverySaveAndEveryReadOfAPackageShowTheSheetANewProjectDoesNot)
{
    struct Row
    {
        const char *name;
        Job job;
        QString path;
        bool shows;
        QString message;
    };
    const std::vector<Row> table = {
        {"a save", Job::Save, "/home/me/Holiday.dwproj", true, "Saving \"Holiday\" ..."},
        {"a read", Job::Open, "/home/me/Holiday.dwproj", true, "Opening \"Holiday\" ..."},
        {"a path with a slash at its end",
         Job::Open,
         "/home/me/Holiday.dwproj/",
         true,
         "Opening \"Holiday\" ..."},
        {"a name with dots",
         Job::Save,
         "/tmp/My.Trip.2026.dwproj",
         true,
         "Saving \"My.Trip.2026\" ..."},
        {"a new project", Job::Open, QString(), false, QString()},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PackageProgressState::showsSheet(row.job, row.path), row.shows);
        PackageProgressState state;
        EXPECT_EQ(state.begin(row.job, row.path), row.shows);
        EXPECT_EQ(state.isShown(), row.shows);
        EXPECT_EQ(state.message(), row.message);
        EXPECT_EQ(state.end(), row.shows) << "only a sheet that is up is taken down";
        EXPECT_FALSE(state.isShown());
        EXPECT_TRUE(state.message().isEmpty());
        EXPECT_FALSE(state.end());
    }
}

TEST_F(PackageProgressStateTest, ASecondJobWhileTheSheetIsUpOnlyChangesItsLine)
{
    // "Save" before a revert: the save's sheet goes, the read's comes.
    PackageProgressState state;
    ASSERT_TRUE(state.begin(Job::Save, "/p/Holiday.dwproj"));
    ASSERT_TRUE(state.begin(Job::Open, "/p/Other.dwproj"));
    EXPECT_EQ(state.message(), "Opening \"Other\" ...");
    EXPECT_TRUE(state.end());
    EXPECT_FALSE(state.isShown());
}

} // namespace
