// The project package over real clips and the shipped template library: what a save writes and an
// open reads back, where the media come from, and that a failed or replaced save never leaves a
// package half written.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/Document/ProjectPackageJobs.h"
#include "platform/KeyedArchiver.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/DocumentHost.h"
#include "testsupport/HostilePropertyLists.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;

const QString kResourcesFolder = QStringLiteral(DW_BINARY_DIR "/resources");

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(kResourcesFolder);
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

ino_t inodeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QString copyOf(const QString &source, const QString &folder, const QString &name)
{
    QDir().mkpath(folder);
    const QString target = folder + "/" + name;
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(source, target)) << qPrintable(source);
    return target;
}

bool save(ProjectContents &project,
          const QString &current,
          const QString &path,
          PackageWriteReport *report = nullptr,
          ProjectPackage::WriteMode mode = ProjectPackage::WriteMode::Update,
          QString *why = nullptr)
{
    QString error;
    auto snapshot = ProjectPackage::takeSnapshot(project, current, &error);
    EXPECT_TRUE(snapshot) << qPrintable(error);
    if (!snapshot)
        return false;
    const bool ok = ProjectPackage::writePackage(*snapshot, path, mode, report, &error);
    if (why)
        *why = error;
    return ok;
}

ProjectContents open(const QString &path)
{
    QString error;
    auto read = ProjectPackage::readPackage(path, &error);
    EXPECT_TRUE(read) << qPrintable(error);
    return read ? *read : ProjectContents();
}

QList<DVDTitleDataRef> titlesOf(const ProjectContents &project)
{
    QList<DVDTitleDataRef> titles;
    for (const auto &object : project.dvd->titles())
        titles.append(std::dynamic_pointer_cast<DVDTitleData>(object));
    return titles;
}

class ProjectPackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        red = copyOf(ClipFixtures::shared().colour("red", 2), work.filePath("src"), "red.mp4");
        blue = copyOf(ClipFixtures::shared().colour("blue", 2), work.filePath("src"), "blue.mp4");
    }

    QTemporaryDir work;
    QString red;
    QString blue;
};

TEST_F(ProjectPackageTest, ANewProjectHasOneBlankWidePageAt4000)
{
    const ProjectContents project = ProjectPackage::newProject();
    ASSERT_TRUE(project.dvd && project.tempDvdData);
    EXPECT_EQ(project.dvd->dvdBitrate(), 4000);
    EXPECT_EQ(project.dvd->format(), 1);
    EXPECT_EQ(project.dvd->aspectType(), 1);
    EXPECT_TRUE(project.dvd->playTitleSequence());
    EXPECT_TRUE(project.dvd->menuLoop());
    ASSERT_EQ(project.dvd->menus().size(), 1);
    const auto page = project.dvd->menus().first();
    EXPECT_EQ(page->menuSize(), QSizeF(854, 480));
    EXPECT_TRUE(DVDMenuExtention::titleItems(*page).isEmpty());
    EXPECT_FALSE(DVDMenuExtention::buttonItems(*page).isEmpty());
    // Each button has its style record.
    EXPECT_EQ(project.tempDataArray.size(), DVDMenuExtention::buttonItems(*page).size());
}

TEST_F(ProjectPackageTest, SaveThenOpenKeepsTitlesPagesFramesAndStyleRecords)
{
    ProjectContents project = makeProject({red, blue});
    project.dvd->setDvdBitrate(6000);
    project.tempDvdData->setShowPlayButton(false);
    const auto page = project.dvd->menus().first();
    const auto items = DVDMenuExtention::titleItems(*page);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->frame().topLeft(), QPointF(76, 276));
    EXPECT_EQ(items[1]->frame().topLeft(), QPointF(336, 276));
    items[1]->setFrame(QRectF(400, 100, 200, 150));
    project.tempDataArray.last()->setTitleRoundValue(0.25);
    const QString package = work.filePath("one.dwproj");
    ASSERT_TRUE(save(project, QString(), package));
    EXPECT_TRUE(QFileInfo(package + "/temp").isDir());
    EXPECT_TRUE(QFileInfo(package + "/project").isFile());

    const ProjectContents read = open(package);
    ASSERT_TRUE(read.dvd);
    EXPECT_EQ(read.dvd->dvdBitrate(), 6000);
    EXPECT_FALSE(read.tempDvdData->showPlayButton());
    const auto titles = titlesOf(read);
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[0]->name(), "Title 1");
    EXPECT_EQ(titles[1]->name(), "Title 2");
    ASSERT_EQ(titles[1]->mediaArray().size(), 1);
    EXPECT_EQ(titles[1]->mediaArray()[0]->path(), blue);
    EXPECT_TRUE(titles[1]->mediaArray()[0]->movie());
    ASSERT_EQ(read.dvd->menus().size(), 1);
    const auto readItems = DVDMenuExtention::titleItems(*read.dvd->menus().first());
    ASSERT_EQ(readItems.size(), 2);
    EXPECT_EQ(readItems[0]->frame(), QRectF(76, 276, 240, 180));
    EXPECT_EQ(readItems[1]->frame(), QRectF(400, 100, 200, 150));
    EXPECT_EQ(readItems[0]->jump(), titles[0]);
    EXPECT_EQ(readItems[1]->jump(), titles[1]);
    ASSERT_EQ(read.tempDataArray.size(), project.tempDataArray.size());
    EXPECT_EQ(read.tempDataArray.last()->currentMedia(), readItems[1]);
    EXPECT_DOUBLE_EQ(read.tempDataArray.last()->titleRoundValue(), 0.25);
}

TEST_F(ProjectPackageTest, MediaShareTheSourceInodeAndASecondSaveLinksNothing)
{
    ProjectContents project = makeProject({red, blue});
    const QString package = work.filePath("linked.dwproj");
    PackageWriteReport first;
    ASSERT_TRUE(save(project, QString(), package, &first));
    EXPECT_EQ(first.linked, 2);
    EXPECT_EQ(first.copied, 0);
    const auto clip = titlesOf(project)[0]->mediaArray()[0];
    const QString packaged = ProjectPackage::pathForResourcePath(clip->resourcePath(), package);
    ASSERT_TRUE(QFileInfo(packaged).isFile());
    EXPECT_EQ(inodeOf(packaged), inodeOf(red));

    PackageWriteReport second;
    ASSERT_TRUE(save(project, package, package, &second));
    EXPECT_EQ(second.linked, 0);
    EXPECT_EQ(second.copied, 0);
    EXPECT_EQ(second.present, 2);
}

TEST_F(ProjectPackageTest, OpensFromItsCopiesOnceTheSourcesAreGoneAndSaveAsIsComplete)
{
    ProjectContents project = makeProject({red, blue});
    const QString package = work.filePath("moved.dwproj");
    ASSERT_TRUE(save(project, QString(), package));
    project = ProjectContents();
    ASSERT_TRUE(QFile::remove(red));
    ASSERT_TRUE(QFile::remove(blue));

    ProjectContents read = open(package);
    const auto titles = titlesOf(read);
    ASSERT_EQ(titles.size(), 2);
    for (const auto &title : titles) {
        ASSERT_EQ(title->mediaArray().size(), 1);
        const auto clip = title->mediaArray()[0];
        EXPECT_TRUE(clip->movie()) << qPrintable(clip->path());
        EXPECT_EQ(clip->openedPath(),
                  ProjectPackage::pathForResourcePath(clip->resourcePath(), package));
    }

    // Save As from it: the new package takes its media from the old one's copies.
    const QString copy = work.filePath("copy.dwproj");
    PackageWriteReport report;
    ASSERT_TRUE(save(read, package, copy, &report, ProjectPackage::WriteMode::Replace));
    EXPECT_EQ(report.linked, 2);
    EXPECT_TRUE(report.missing.isEmpty());
    read = ProjectContents();
    QDir(package).removeRecursively();
    const ProjectContents again = open(copy);
    for (const auto &title : titlesOf(again))
        EXPECT_TRUE(title->mediaArray()[0]->movie());
}

TEST_F(ProjectPackageTest, ASnapshotIsWhatGetsWrittenWhateverHappensAfterIt)
{
    // Regression: the live project was archived on the worker, after the user could edit again.
    ProjectContents project = makeProject({red});
    QString error;
    auto snapshot = ProjectPackage::takeSnapshot(project, QString(), &error);
    ASSERT_TRUE(snapshot) << qPrintable(error);
    titlesOf(project)[0]->setName("Renamed later");
    project.dvd->setDvdBitrate(9000);
    const QString package = work.filePath("snap.dwproj");
    ASSERT_TRUE(ProjectPackage::writePackage(
        *snapshot, package, ProjectPackage::WriteMode::Update, nullptr, &error));
    const ProjectContents read = open(package);
    EXPECT_EQ(titlesOf(read)[0]->name(), "Title 1");
    EXPECT_EQ(read.dvd->dvdBitrate(), 4000);
}

TEST_F(ProjectPackageTest, StyleRecordsOfItemsOnNoPageAreDroppedAtSaveAndOpen)
{
    ProjectContents project = makeProject({red});
    const int onPages = project.tempDataArray.size();
    auto stray = std::make_shared<TempEditData>();
    stray->setCurrentMedia(makeTitleSlot());
    project.tempDataArray.append(stray);
    project.tempDataArray.append(std::make_shared<TempEditData>());
    const QString package = work.filePath("pruned.dwproj");
    ASSERT_TRUE(save(project, QString(), package));
    EXPECT_EQ(project.tempDataArray.size(), onPages);
    EXPECT_FALSE(stray->currentMedia());
    EXPECT_EQ(open(package).tempDataArray.size(), onPages);
}

TEST_F(ProjectPackageTest, ABareDiscModelRebuildsItsStyleRecords)
{
    ProjectContents project = makeProject({red, blue});
    const QString package = work.filePath("old.dwproj");
    QDir().mkpath(package);
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(QVariant::fromValue(ObjectRef(project.dvd)),
                                                       package + "/project"));
    const ProjectContents read = open(package);
    ASSERT_TRUE(read.dvd && read.tempDvdData);
    const auto page = read.dvd->menus().first();
    EXPECT_EQ(read.tempDataArray.size(), page->items().size());
    for (const auto &item : DVDMenuExtention::titleItems(*page))
        EXPECT_TRUE(item->useFrame());
    for (qsizetype i = 0; i < page->items().size(); ++i)
        EXPECT_EQ(read.tempDataArray[i]->currentMedia(), page->items()[i]);
}

TEST_F(ProjectPackageTest, ADamagedOrMissingProjectIsAnErrorNotAnEmptyProject)
{
    // Regression: such a package opened as an empty project bound to it, overwritten at the next
    // save.
    struct Case
    {
        const char *name;
        QByteArray bytes;
        bool write;
    };
    const Case cases[] = {
        {"no project file", {}, false},
        {"not an archive", "garbage, not a property list", true},
        {"an archive of something else",
         platform::KeyedArchiver::archivedData(QVariant(QStringLiteral("text"))),
         true},
        // Regression: libplist's recursive parser overflowed the stack (SIGSEGV) on this one.
        {"a property list nested 100,000 deep",
         testsupport::nestedBinaryPropertyList(100000),
         true},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QString package = work.filePath(QString("bad-%1.dwproj").arg(qHash(row.name)));
        QDir().mkpath(package);
        if (row.write) {
            QFile file(package + "/project");
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.bytes);
        }
        QString error;
        EXPECT_FALSE(ProjectPackage::readPackage(package, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

// Regression: a clip whose source had become a FIFO blocked the open in the demuxer for ever; an
// empty copy in the package made the clip offline although its source was intact.
TEST_F(ProjectPackageTest, ClipsOpenOnlyFromMediaFilesAndAnEmptyCopyGivesWayToTheSource)
{
    ProjectContents project = makeProject({red, blue});
    const QString package = work.filePath("hostile.dwproj");
    ASSERT_TRUE(save(project, QString(), package));
    project = ProjectContents();
    const auto clipsOf = [](const ProjectContents &read) {
        QList<MediaDataRef> clips;
        for (const auto &title : titlesOf(read))
            clips.append(title->mediaArray().value(0));
        return clips;
    };
    const QList<MediaDataRef> saved = clipsOf(open(package));
    ASSERT_EQ(saved.size(), 2);
    const QString redCopy = ProjectPackage::pathForResourcePath(saved[0]->resourcePath(), package);
    const QString blueCopy = ProjectPackage::pathForResourcePath(saved[1]->resourcePath(), package);

    // The red copy is emptied (it is a hard link to the source, so it goes first); the blue one
    // is gone and its source is a FIFO now.
    ASSERT_TRUE(QFile::remove(redCopy));
    QFile empty(redCopy);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    ASSERT_TRUE(QFile::remove(blueCopy));
    ASSERT_TRUE(QFile::remove(blue));
    ASSERT_EQ(::mkfifo(QFile::encodeName(blue).constData(), 0600), 0);

    // Should the open block on the FIFO, a writer unblocks it after the deadline so that the
    // test fails instead of hanging.
    std::atomic<bool> opened{false};
    std::thread watchdog([&] {
        const QDeadlineTimer deadline(30000);
        while (!opened && !deadline.hasExpired())
            QThread::msleep(20);
        if (!opened) {
            const int fd = ::open(QFile::encodeName(blue).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    });
    QString error;
    const auto read = ProjectPackage::readPackage(package, &error);
    const bool inTime = !opened.exchange(true);
    watchdog.join();
    ASSERT_TRUE(inTime);
    ASSERT_TRUE(read) << qPrintable(error);
    const QList<MediaDataRef> clips = clipsOf(*read);
    ASSERT_EQ(clips.size(), 2);
    EXPECT_TRUE(clips[0]->movie());
    EXPECT_EQ(clips[0]->openedPath(), red);
    EXPECT_FALSE(clips[1]->movie());
    EXPECT_EQ(clips[1]->path(), blue);

    // The next save puts the media back in place of the empty copy.
    ProjectContents again = *read;
    ASSERT_TRUE(save(again, package, package));
    EXPECT_EQ(QFileInfo(redCopy).size(), QFileInfo(red).size());
    EXPECT_FALSE(QFileInfo::exists(blueCopy));

    // A FIFO is refused also when a person chooses it, as are folders and character devices;
    // a block device is not (it is a disc).
    EXPECT_FALSE(MediaData::isOpenableMediaPath(blue));
    EXPECT_FALSE(MediaData::isOpenableMediaPath(work.path()));
    EXPECT_FALSE(MediaData::isOpenableMediaPath("/dev/zero"));
    EXPECT_FALSE(MediaData::isOpenableMediaPath(work.filePath("absent.mp4")));
    EXPECT_TRUE(MediaData::isOpenableMediaPath(red));
    EXPECT_FALSE(MediaData::mediaDataWithPath(blue)->movie());
}

QStringList hiddenEntries(const QString &folder)
{
    QStringList hidden;
    for (const QString &name :
         QDir(folder).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot))
        if (name.startsWith('.'))
            hidden.append(name);
    return hidden;
}

TEST_F(ProjectPackageTest, LeftoversOfKilledSavesGoAtTheNextOpenOrSave)
{
    ProjectContents project = makeProject({red});
    const QString package = work.filePath("kept.dwproj");
    ASSERT_TRUE(save(project, QString(), package));
    const QStringList leftovers
        = {".kept.dwproj.saving-0123456789ab", ".kept.dwproj.replaced-ba9876543210"};
    // Not ours: another package's leftover, and a hidden folder of the person's own.
    const QStringList others = {".other.dwproj.saving-0123456789ab", ".kept.dwproj.notes"};
    for (const QString &name : leftovers + others)
        ASSERT_TRUE(QDir().mkpath(work.filePath(name + "/resource")));

    EXPECT_TRUE(open(package).dvd);
    EXPECT_EQ(hiddenEntries(work.path()),
              QStringList({".kept.dwproj.notes", ".other.dwproj.saving-0123456789ab"}));

    for (const QString &name : leftovers)
        ASSERT_TRUE(QDir().mkpath(work.filePath(name)));
    ASSERT_TRUE(save(project, package, package));
    EXPECT_EQ(hiddenEntries(work.path()).size(), 2);

    // With no package at the path they may be the only copies: they stay.
    ASSERT_TRUE(QDir(package).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(work.filePath(leftovers[0])));
    EXPECT_EQ(ProjectPackage::removeSaveLeftovers(package), 0);
    EXPECT_TRUE(QFileInfo(work.filePath(leftovers[0])).isDir());
}

// Run as a child of the crash test below (the variable names the package): saves over the
// package again and again, alternating two versions, until it is killed.
const char kSaveOverVariable[] = "DW_TEST_SAVE_OVER_PACKAGE";

TEST(ProjectPackageSaveChild, SavesOverThePackageUntilKilled)
{
    const QString package = qEnvironmentVariable(kSaveOverVariable);
    if (package.isEmpty())
        GTEST_SKIP() << "runs only as the child of the Save As crash test";
    ProjectContents project = ProjectPackage::newProject();
    for (int round = 0;; ++round) {
        project.dvd->setDvdBitrate(round % 2 ? 6000 : 5000);
        QString error;
        auto snapshot = ProjectPackage::takeSnapshot(project, package, &error);
        ASSERT_TRUE(snapshot) << qPrintable(error);
        ASSERT_TRUE(ProjectPackage::writePackage(
            *snapshot, package, ProjectPackage::WriteMode::Replace, nullptr, &error))
            << qPrintable(error);
        if (round == 0)
            fprintf(stdout, "saving\n"), fflush(stdout);
    }
}

// Regression: Save As renamed the old package aside and then the new one in; a kill between the
// two left nothing at the path.
TEST_F(ProjectPackageTest, SaveAsKilledAtRandomMomentsLeavesTheOldOrTheNewPackage)
{
    const QString package = work.filePath("precious.dwproj");
    ProjectContents old = ProjectPackage::newProject();
    ASSERT_TRUE(save(old, QString(), package));
    QRandomGenerator random(20261211);
    for (int kill = 0; kill < 20; ++kill) {
        SCOPED_TRACE(kill);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kSaveOverVariable, package);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=ProjectPackageSaveChild.*"});
        ASSERT_TRUE(child.waitForStarted());
        const QDeadlineTimer deadline(60000);
        while (!child.readAllStandardOutput().contains("saving") && !deadline.hasExpired()
               && child.state() == QProcess::Running)
            child.waitForReadyRead(100);
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().constData();
        // The kill lands at a random moment within a few saves.
        QThread::usleep(random.bounded(20000));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));

        QString error;
        const auto read = ProjectPackage::readPackage(package, &error);
        ASSERT_TRUE(read) << qPrintable(error);
        EXPECT_TRUE(QList<int>({4000, 5000, 6000}).contains(read->dvd->dvdBitrate()));
    }
    ASSERT_TRUE(save(old, package, package, nullptr, ProjectPackage::WriteMode::Replace));
    EXPECT_EQ(hiddenEntries(work.path()), QStringList());
    EXPECT_EQ(open(package).dvd->dvdBitrate(), 4000);
}

TEST_F(ProjectPackageTest, AFailedMediaCopyIsReportedAndTheProjectIsNotTouched)
{
    // Regression: failed links and copies were ignored and the save reported success.
    ProjectContents project = makeProject({red});
    const QString package = work.filePath("stuck.dwproj");
    ASSERT_TRUE(save(project, QString(), package));
    QFile projectFile(package + "/project");
    ASSERT_TRUE(projectFile.open(QIODevice::ReadOnly));
    const QByteArray before = projectFile.readAll();
    projectFile.close();
    // A second clip whose place in the package cannot be made: "resource" is a plain file now.
    QDir(package + "/resource").removeRecursively();
    QFile blocker(package + "/resource");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    addTitle(project, blue, "Title 2");
    QString why;
    EXPECT_FALSE(save(project, package, package, nullptr, ProjectPackage::WriteMode::Update, &why));
    EXPECT_FALSE(why.isEmpty());
    ASSERT_TRUE(projectFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(projectFile.readAll(), before);
}

TEST_F(ProjectPackageTest, SavingOverAPlainFileOrAnotherPackageReplacesItWhole)
{
    ProjectContents project = makeProject({red});
    const QString plain = work.filePath("plain.dwproj");
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    ASSERT_TRUE(save(project, QString(), plain, nullptr, ProjectPackage::WriteMode::Replace));
    EXPECT_TRUE(QFileInfo(plain).isDir());
    EXPECT_TRUE(open(plain).dvd);

    const QString other = work.filePath("other.dwproj");
    ProjectContents second = makeProject({blue});
    ASSERT_TRUE(save(second, QString(), other));
    QFile extra(other + "/resource/leftover");
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.close();
    ASSERT_TRUE(save(project, plain, other, nullptr, ProjectPackage::WriteMode::Replace));
    EXPECT_FALSE(QFileInfo::exists(other + "/resource/leftover"));
    EXPECT_EQ(titlesOf(open(other))[0]->mediaArray()[0]->path(), red);
    // Nothing is left beside the packages.
    const QStringList hidden
        = QDir(work.path()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString &name : hidden)
        EXPECT_FALSE(name.startsWith('.')) << qPrintable(name);
}

TEST_F(ProjectPackageTest, JobsReadOnTheWorkerAndAnswerOnTheMainThread)
{
    ProjectContents project = makeProject({red});
    const QString package = work.filePath("jobs.dwproj");
    ProjectPackageJobs jobs;
    bool saved = false;
    ASSERT_TRUE(jobs.save(project,
                          QString(),
                          package,
                          ProjectPackage::WriteMode::Update,
                          [&](bool ok, const QString &) {
                              EXPECT_EQ(QThread::currentThread(), application().thread());
                              saved = ok;
                          }));
    EXPECT_TRUE(jobs.isBusy());
    EXPECT_FALSE(jobs.open(package, [](std::optional<ProjectContents>, QString) {}));
    ASSERT_TRUE(runUntil([&] { return !jobs.isBusy(); }, 60000));
    EXPECT_TRUE(saved);

    std::optional<ProjectContents> read;
    ASSERT_TRUE(jobs.open(package, [&](std::optional<ProjectContents> contents, QString) {
        EXPECT_EQ(QThread::currentThread(), application().thread());
        read = std::move(contents);
    }));
    ASSERT_TRUE(runUntil([&] { return !jobs.isBusy(); }, 60000));
    ASSERT_TRUE(read && read->dvd);
    EXPECT_EQ(titlesOf(*read).size(), 1);
}

} // namespace
