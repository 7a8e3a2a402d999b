// The editing project without a window: what each edit changes in the model, the rows its signal
// names, and the edits it refuses (off the main thread, or out of range).

#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <gtest/gtest.h>
#include <thread>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

DVDTitleDataRef clipTitle(const QString &name)
{
    auto title = std::make_shared<DVDTitleData>();
    title->setName(name);
    auto clip = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("red", 2));
    EXPECT_TRUE(clip);
    title->setMediaArray({clip});
    return title;
}

QStringList names(const EditingProject &project)
{
    QStringList out;
    for (const auto &title : project.titles())
        out << title->name();
    return out;
}

TEST(EditingProject, TitleEditsChangeTheDiscsOneListAndNameTheRows)
{
    EditingProject project;
    QList<std::pair<qsizetype, qsizetype>> inserted;
    QList<std::pair<qsizetype, qsizetype>> moved;
    QObject::connect(&project, &EditingProject::titlesInserted, [&](qsizetype row, qsizetype n) {
        inserted << std::pair(row, n);
    });
    QObject::connect(&project, &EditingProject::titleMoved, [&](qsizetype from, qsizetype to) {
        moved << std::pair(from, to);
    });
    const auto page = project.dvd()->menus().first();
    const qsizetype records = project.tempDataArray().size();
    project.insertTitles(0, {clipTitle("a"), clipTitle("b")}, page);
    // A row past the end lands at the end.
    project.insertTitles(99, {clipTitle("c")});
    project.insertTitles(1, {clipTitle("d")});
    EXPECT_EQ(names(project), QStringList({"a", "d", "b", "c"}));
    EXPECT_EQ(inserted, (QList<std::pair<qsizetype, qsizetype>>{{0, 2}, {2, 1}, {1, 1}}));
    // Only the titles placed on the page got items and records.
    EXPECT_EQ(DVDMenuExtention::titleItems(*page).size(), 2);
    EXPECT_EQ(project.tempDataArray().size(), records + 2);
    EXPECT_EQ(project.dvd()->titles().size(), 4);

    project.moveTitle(3, 0);
    project.moveTitle(2, 2);
    EXPECT_EQ(names(project), QStringList({"c", "a", "d", "b"}));
    EXPECT_EQ(moved, (QList<std::pair<qsizetype, qsizetype>>{{3, 0}}));
    project.removeTitles(1, 2);
    EXPECT_EQ(names(project), QStringList({"c", "b"}));
}

// Every edit belongs to the main thread: from another thread it is refused and nothing changes.
TEST(EditingProject, AnEditFromAnotherThreadIsRefused)
{
    EditingProject project;
    project.insertTitles(0, {clipTitle("a")});
    int emitted = 0;
    QObject::connect(&project, &EditingProject::titlesRemoved, [&] { ++emitted; });
    QObject::connect(&project, &EditingProject::settingsChanged, [&] { ++emitted; });
    const QByteArray fatal = qgetenv("DISCWRIGHT_FATAL_ASSERTS");
    qunsetenv("DISCWRIGHT_FATAL_ASSERTS");
    std::thread([&] {
        project.removeTitles(0);
        project.setDvdBitrate(1234);
    }).join();
    qputenv("DISCWRIGHT_FATAL_ASSERTS", fatal);
    EXPECT_EQ(emitted, 0);
    EXPECT_EQ(project.titleCount(), 1);
    EXPECT_NE(project.dvd()->dvdBitrate(), 1234);
}

} // namespace
