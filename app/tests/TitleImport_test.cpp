// The import of files as titles: which files are taken, the progress of a batch, cancelling it, and
// the menu items the imported titles get on a new project's page.

#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/AppExtention/TitleImport.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "testsupport/MediaFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

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

QList<DVDTitleDataRef> runImport(TitleImport &import, const QStringList &paths, QList<int> *steps)
{
    QList<DVDTitleDataRef> result;
    bool finished = false;
    EXPECT_TRUE(import.start(
        paths,
        [&](int done, int total) {
            EXPECT_EQ(total, paths.size());
            steps->append(done);
        },
        [&](QList<DVDTitleDataRef> titles, bool cancelled) {
            EXPECT_FALSE(cancelled);
            result = titles;
            finished = true;
        }));
    EXPECT_TRUE(runUntil([&] { return finished; }, 60000));
    return result;
}

TEST(TitleImport, OnlyVideosOfAtLeastFiveSecondsBecomeTitles)
{
    struct Row
    {
        const char *name;
        QString path;
        bool taken;
    };
    const QString text = ClipFixtures::shared().dir() + "/notes.txt";
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a video");
    file.close();
    const Row rows[] = {
        {"4.9 s is too short", ClipFixtures::shared().silentColour("red", 4.9), false},
        {"exactly 5.0 s is taken", ClipFixtures::shared().silentColour("red", 5.0), true},
        {"audio only", fixtures::MediaFixtures::shared().audioOnlyWav(), false},
        {"not media", text, false},
        {"6 s with sound", ClipFixtures::shared().colour("blue", 6), true},
    };
    QStringList paths;
    QStringList expected;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.path.isEmpty());
        EXPECT_EQ(bool(TitleImport::createMediaWithPath(row.path)), row.taken);
        paths.append(row.path);
        if (row.taken)
            expected.append(QFileInfo(row.path).fileName());
    }
    TitleImport import;
    QList<int> steps;
    const auto titles = runImport(import, paths, &steps);
    EXPECT_EQ(steps, (QList<int>{1, 2, 3, 4, 5})) << "every file advances the counter";
    EXPECT_FLOAT_EQ(import.importRate(), 1.0f);
    ASSERT_EQ(titles.size(), expected.size());
    for (qsizetype i = 0; i < titles.size(); ++i) {
        ASSERT_EQ(titles[i]->mediaArray().size(), 1);
        const auto clip = titles[i]->mediaArray()[0];
        EXPECT_EQ(titles[i]->name(), clip->name());
        EXPECT_EQ(clip->superData(), titles[i]);
        EXPECT_FALSE(titles[i]->isExpand());
        EXPECT_TRUE(clip->name().startsWith(QFileInfo(expected[i]).completeBaseName()))
            << qPrintable(clip->name());
    }
}

TEST(TitleImport, TwoSixSecondClipsLandSideBySideOnTheNewProjectsPage)
{
    const QString clip = ClipFixtures::shared().colour("red", 6);
    TitleImport import;
    QList<int> steps;
    const auto titles = runImport(import, {clip, clip}, &steps);
    ASSERT_EQ(titles.size(), 2);
    ProjectContents project = ProjectPackage::newProject();
    const auto page = project.dvd->menus().first();
    const auto prototype = TitlePageEdits::aNewMenuTitleItem(1);
    ASSERT_TRUE(prototype);
    for (const auto &title : titles)
        ASSERT_TRUE(
            MenuTitleItems::importTitle(*page, title, prototype.get(), project.tempDataArray));
    const auto items = DVDMenuExtention::titleItems(*page);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->frame(), QRectF(76, 276, 240, 180));
    EXPECT_EQ(items[1]->frame(), QRectF(336, 276, 240, 180));
    EXPECT_EQ(items[0]->jump(), titles[0]);
    EXPECT_EQ(items[1]->jump(), titles[1]);
}

TEST(TitleImport, CancelStopsTheBatch)
{
    const QString clip = ClipFixtures::shared().colour("blue", 6);
    QStringList paths;
    for (int i = 0; i < 20; ++i)
        paths.append(clip);
    TitleImport import;
    bool finished = false;
    bool wasCancelled = false;
    qsizetype made = -1;
    ASSERT_TRUE(import.start(paths, {}, [&](QList<DVDTitleDataRef> titles, bool cancelled) {
        finished = true;
        wasCancelled = cancelled;
        made = titles.size();
    }));
    EXPECT_FALSE(import.start(paths, {}, {})) << "one import at a time";
    import.cancel();
    ASSERT_TRUE(runUntil([&] { return finished; }, 60000));
    EXPECT_TRUE(wasCancelled);
    EXPECT_LE(made, 1);
    EXPECT_FALSE(import.isRunning());
}

} // namespace
