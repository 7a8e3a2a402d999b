// The child-process runner and the dvdauthor and mkisofs steps, driven against fake tools that
// record what they were given. The real tools run in AuthorDisc_test.

#include "Platterkit/authoring/DVDAuthorXML.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "Platterkit/tools/ToolRunner.h"
#include "Platterkit/tools/ToolTaskControl.h"
#include "support/FakeTools.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

using Platterkit::ToolProcess;
using Platterkit::ToolRunner;
using Platterkit::ToolTaskControl;
using testing_support::FakeToolFolder;

namespace {

void writeFile(const QString &path, qint64 bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(QByteArray(bytes, 'x'));
}

QString workFile(const QTemporaryDir &work, const QString &name)
{
    return QDir(work.path()).filePath(name);
}

std::shared_ptr<DVDLibrary> smallLibrary(qint64 format)
{
    auto library = std::make_shared<DVDLibrary>();
    library->setFormat(format);
    library->setTitles({TestTitleVideo::make(QStringLiteral("A"), {2.0, 3.0})});
    auto page = testing_support::makeTemplatePage(1);
    library->setMenus({page});
    return library;
}

// Body of a fake tool that says it has started (its process id appears whole in "<name>.started")
// and then sleeps, under the same process id, until it is stopped.
QString startedThenSleep(const QString &name, const QString &before = QString())
{
    return before
           + QStringLiteral("\necho $$ > \"$RECORDS/%1.pid\"\n"
                            "/bin/mv \"$RECORDS/%1.pid\" \"$RECORDS/%1.started\"\n"
                            "exec /bin/sleep 30")
                 .arg(name);
}

} // namespace

// --- The runner ------------------------------------------------------------------------------

TEST(ToolRunner, DvdauthorAndSpumuxGetExactlyVideoFormat)
{
    struct Row
    {
        const char *name;
        const char *tool;
        qint64 format;
        const char *expected;
    };
    const Row rows[] = {
        {"dvdauthor, PAL", "dvdauthor", 1, "PAL"},
        {"dvdauthor, format 0 is NTSC", "dvdauthor", 0, "NTSC"},
        {"spumux, format 2 is NTSC", "spumux", 2, "NTSC"},
        {"spumux, PAL", "spumux", 1, "PAL"},
    };
    qputenv("DW_PARENT_ONLY", "1");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeToolFolder tools;
        tools.install(QString::fromLatin1(row.tool));
        QTemporaryDir work;
        auto library = smallLibrary(row.format);
        const QStringList arguments{QStringLiteral("-x"), QStringLiteral("a b.xml")};
        ToolTaskControl control;
        EXPECT_TRUE(control.run(
            library->taskCurrentArguments(QString::fromLatin1(row.tool), work.path(), arguments)));

        const QMap<QString, QString> expected{
            {QStringLiteral("VIDEO_FORMAT"), QString::fromLatin1(row.expected)}};
        EXPECT_EQ(tools.recordedEnvironment(QString::fromLatin1(row.tool)), expected);
        EXPECT_EQ(tools.recordedArguments(QString::fromLatin1(row.tool)), arguments);
        EXPECT_EQ(tools.recordedDirectory(QString::fromLatin1(row.tool)),
                  QFileInfo(work.path()).canonicalFilePath());
    }
    qunsetenv("DW_PARENT_ONLY");
}

TEST(ToolRunner, MkisofsInheritsTheEnvironment)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("mkisofs"));
    qputenv("DW_PARENT_MARKER", "inherited value");
    QTemporaryDir work;
    ToolTaskControl control;
    EXPECT_TRUE(control.run(
        DVDImageMake::taskCurrentArguments(QStringLiteral("mkisofs"), work.path(), {})));
    const auto environment = tools.recordedEnvironment(QStringLiteral("mkisofs"));
    EXPECT_EQ(environment.value(QStringLiteral("DW_PARENT_MARKER")),
              QStringLiteral("inherited value"));
    EXPECT_EQ(environment.value(QStringLiteral("PATH")), qEnvironmentVariable("PATH"));
    EXPECT_EQ(environment.size(), QProcessEnvironment::systemEnvironment().keys().size());
    qunsetenv("DW_PARENT_MARKER");
}

TEST(ToolRunner, StandardInputAndOutputFilesReachTheChild)
{
    // The way spumux is run: the menu video on standard input, the result on standard output.
    FakeToolFolder tools;
    tools.install(QStringLiteral("spumux"), QStringLiteral("exec /bin/cat"));
    QTemporaryDir work;
    const QString input = workFile(work, QStringLiteral("menu.mpg"));
    const QString output = workFile(work, QStringLiteral("menu0.dvd"));
    writeFile(input, 100000);
    auto process = ToolRunner::taskCurrentArguments(
        1, QStringLiteral("spumux"), work.path(), {QStringLiteral("spumux.xml")});
    process->setStandardInputPath(input);
    process->setStandardOutputPath(output);
    ToolTaskControl control;
    EXPECT_TRUE(control.run(process)) << qPrintable(process->failureDescription());
    EXPECT_EQ(QFileInfo(output).size(), 100000);
    EXPECT_EQ(tools.recordedEnvironment(QStringLiteral("spumux")).keys(),
              QStringList{QStringLiteral("VIDEO_FORMAT")});
}

TEST(ToolRunner, ToolLookupOrder)
{
    const QString onPath
        = QFileInfo(QStandardPaths::findExecutable(QStringLiteral("mkisofs"))).absoluteFilePath();
    ASSERT_FALSE(onPath.isEmpty()) << "mkisofs must be installed";
    EXPECT_EQ(ToolRunner::executableFolder(),
              QFileInfo(QStringLiteral(DW_BINARY_DIR "/Platterkit")).canonicalFilePath());
    {
        FakeToolFolder tools;
        tools.install(QStringLiteral("mkisofs"));
        EXPECT_EQ(ToolRunner::pathForTool(QStringLiteral("mkisofs")),
                  QDir(tools.path()).filePath(QStringLiteral("mkisofs")))
            << "the tools folder comes first";

        writeFile(QDir(tools.path()).filePath(QStringLiteral("dvdauthor")), 10);
        EXPECT_EQ(ToolRunner::pathForTool(QStringLiteral("dvdauthor")),
                  QFileInfo(QStandardPaths::findExecutable(QStringLiteral("dvdauthor")))
                      .absoluteFilePath())
            << "a file that cannot be run is passed over";
    }
    EXPECT_EQ(ToolRunner::pathForTool(QStringLiteral("mkisofs")), onPath) << "then PATH";
    EXPECT_EQ(ToolRunner::pathForTool(QStringLiteral("no-such-tool-xyz")),
              QDir(ToolRunner::executableFolder()).filePath(QStringLiteral("no-such-tool-xyz")))
        << "a missing tool is expected beside the executable";
}

// --- The child process -----------------------------------------------------------------------

TEST(ToolProcess, LaunchFailuresAreReportedNotThrown)
{
    QTemporaryDir work;
    const QString notExecutable = workFile(work, QStringLiteral("plain"));
    writeFile(notExecutable, 10);
    struct Row
    {
        const char *name;
        QString program;
        QString directory;
        QString input;
        const char *reason;
    };
    const Row rows[] = {
        {"missing program",
         workFile(work, QStringLiteral("absent")),
         QString(),
         QString(),
         "does not exist"},
        {"relative program", QStringLiteral("dvdauthor"), QString(), QString(), "no program path"},
        {"not executable", notExecutable, QString(), QString(), "not an executable"},
        {"missing working folder",
         QStringLiteral("/bin/true"),
         workFile(work, QStringLiteral("gone")),
         QString(),
         "working folder"},
        {"missing input file",
         QStringLiteral("/bin/true"),
         QString(),
         workFile(work, QStringLiteral("none.mpg")),
         "for reading"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ToolProcess process;
        process.setLaunchPath(row.program);
        process.setCurrentDirectoryPath(row.directory);
        process.setStandardInputPath(row.input);
        EXPECT_FALSE(process.launch());
        EXPECT_EQ(process.state(), ToolProcess::State::FailedToStart);
        EXPECT_TRUE(process.lastError().contains(QLatin1String(row.reason)))
            << qPrintable(process.lastError());
        process.waitUntilExit(); // returns at once
        EXPECT_FALSE(process.succeeded());
    }
}

TEST(ToolProcess, ExitStatusAndTheTailOfStandardError)
{
    FakeToolFolder tools;
    tools.install(
        QStringLiteral("dvdauthor"),
        QStringLiteral("i=0; while [ $i -lt 3000 ]; do echo \"noise $i\" >&2; i=$((i+1)); "
                       "done\necho 'ERR: no video stream' >&2\nexit 3"));
    QTemporaryDir work;
    auto process
        = ToolRunner::taskCurrentArguments(0,
                                           QStringLiteral("dvdauthor"),
                                           work.path(),
                                           {QStringLiteral("-x"), QStringLiteral("a.xml")});
    ASSERT_TRUE(process->launch());
    process->waitUntilExit();
    EXPECT_EQ(process->state(), ToolProcess::State::Exited);
    EXPECT_EQ(process->terminationStatus(), 3);
    EXPECT_FALSE(process->succeeded());
    EXPECT_LE(process->standardErrorTail().size(), 8192) << "only the tail is kept";
    const QString description = process->failureDescription();
    EXPECT_TRUE(description.contains(QLatin1String("ERR: no video stream")))
        << qPrintable(description);
    EXPECT_TRUE(description.contains(QLatin1String("dvdauthor -x a.xml")))
        << qPrintable(description);
    EXPECT_TRUE(description.contains(QLatin1String("status 3"))) << qPrintable(description);
}

TEST(ToolProcess, TerminateBeforeLaunchStopsTheChildAsSoonAsItStarts)
{
    ToolProcess process;
    process.setLaunchPath(QStringLiteral("/bin/sleep"));
    process.setArguments({QStringLiteral("30")});
    process.terminate();
    ASSERT_TRUE(process.launch());
    process.waitUntilExit();
    EXPECT_EQ(process.state(), ToolProcess::State::Signalled);
    EXPECT_EQ(process.terminationStatus(), SIGTERM);
    EXPECT_FALSE(process.succeeded());
}

TEST(ToolProcess, ReleasingARunningProcessStopsIt)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("mkisofs"), startedThenSleep(QStringLiteral("mkisofs")));
    pid_t child = -1;
    {
        auto process
            = ToolRunner::inheritingTaskCurrentArguments(QStringLiteral("mkisofs"), {}, {});
        ASSERT_TRUE(process->launch());
        ASSERT_TRUE(tools.waitForRecord(QStringLiteral("mkisofs"), QStringLiteral("started")));
        child = pid_t(
            tools.recordedFile(QStringLiteral("mkisofs"), QStringLiteral("started")).toInt());
        ASSERT_GT(child, 0);
        ASSERT_EQ(::kill(child, 0), 0) << "the child runs while its process is held";
    }
    // The destructor terminated and reaped the child: its process id names nothing any more
    // (neither a running child nor a zombie).
    EXPECT_EQ(::kill(child, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

// --- Cancel ----------------------------------------------------------------------------------

TEST(ToolTaskControl, CancelBeforeRunKeepsTheChildFromStarting)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("dvdauthor"));
    ToolTaskControl control;
    control.cancel();
    auto process = ToolRunner::taskCurrentArguments(0, QStringLiteral("dvdauthor"), {}, {});
    EXPECT_FALSE(control.run(process));
    EXPECT_EQ(process->state(), ToolProcess::State::NotLaunched);
    EXPECT_FALSE(tools.ran(QStringLiteral("dvdauthor")));
}

TEST(ToolTaskControl, CancelFromAnotherThreadStopsTheChild)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("spumux"), startedThenSleep(QStringLiteral("spumux")));
    ToolTaskControl control;
    auto process = ToolRunner::taskCurrentArguments(1, QStringLiteral("spumux"), {}, {});
    bool result = true;
    std::thread runner([&] { result = control.run(process); });
    ASSERT_TRUE(tools.waitForRecord(QStringLiteral("spumux"), QStringLiteral("started")));
    EXPECT_EQ(control.task(), process);
    control.cancel();
    runner.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(process->state(), ToolProcess::State::Signalled);
    EXPECT_EQ(process->terminationStatus(), SIGTERM);
    EXPECT_EQ(control.task(), nullptr);
}

// --- dvdauthor step --------------------------------------------------------------------------

TEST(DVDFSMake, WritesTheAuthorFileAndRunsDvdauthorOnIt)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("dvdauthor"),
                  QStringLiteral("/bin/cp author.xml \"$RECORDS/author.copy\"\n"
                                 "/bin/mkdir -p dvd.dvdmedia/VIDEO_TS\n"
                                 "printf abc > dvd.dvdmedia/VIDEO_TS/VIDEO_TS.IFO"));
    QTemporaryDir work;
    writeFile(workFile(work, QStringLiteral("title0.dvd")), 3000);
    auto library = smallLibrary(1);

    DVDFSMake step;
    step.dvdWork(library, work.path());
    step.start();

    EXPECT_TRUE(step.succeeded()) << qPrintable(step.lastError());
    EXPECT_EQ(tools.recordedArguments(QStringLiteral("dvdauthor")),
              (QStringList{QStringLiteral("-x"),
                           QStringLiteral("author.xml"),
                           QStringLiteral("-o"),
                           QStringLiteral("dvd.dvdmedia")}));
    EXPECT_EQ(tools.recordedEnvironment(QStringLiteral("dvdauthor")),
              (QMap<QString, QString>{{QStringLiteral("VIDEO_FORMAT"), QStringLiteral("PAL")}}));
    EXPECT_EQ(tools.recordedDirectory(QStringLiteral("dvdauthor")),
              QFileInfo(work.path()).canonicalFilePath());
    EXPECT_EQ(tools.recordedFile(QStringLiteral("author"), QStringLiteral("copy")),
              DVDAuthorXML(*library).authorContent());
    EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("author.xml"))))
        << "author.xml is removed after the run";
    EXPECT_TRUE(
        QFile::exists(workFile(work, QStringLiteral("dvd.dvdmedia/VIDEO_TS/VIDEO_TS.IFO"))));
    EXPECT_EQ(step.task(), nullptr);
    EXPECT_EQ(step.totalSize(), 3000);
    EXPECT_DOUBLE_EQ(step.progress(), 3.0 / 3000.0);
}

TEST(DVDFSMake, TheAuthorFileCarriesTheMenuVideoOptionsOfASpecialisedLibrary)
{
    struct WidescreenLibrary : DVDLibrary
    {
        QString customDVDMenuVideoOptions() const override
        {
            return QStringLiteral("widescreen=\"nopanscan\"");
        }
    };
    FakeToolFolder tools;
    tools.install(QStringLiteral("dvdauthor"),
                  QStringLiteral("/bin/cp author.xml \"$RECORDS/author.copy\""));
    QTemporaryDir work;
    auto library = std::make_shared<WidescreenLibrary>();
    library->setTitles({TestTitleVideo::make(QStringLiteral("A"), {2.0})});
    library->setMenus({testing_support::makeTemplatePage(1)});

    DVDFSMake step;
    step.dvdWork(library, work.path());
    step.start();
    ASSERT_TRUE(step.succeeded()) << qPrintable(step.lastError());
    EXPECT_TRUE(tools.recordedFile(QStringLiteral("author"), QStringLiteral("copy"))
                    .contains(QLatin1String("<video aspect=\"4:3\" resolution=\"720x480\" "
                                            "widescreen=\"nopanscan\" />")));
}

TEST(DVDFSMake, AFailedRunLeavesNeitherTheAuthorFileNorAPartialFolder)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("dvdauthor"),
                  QStringLiteral("/bin/mkdir -p dvd.dvdmedia/VIDEO_TS\n"
                                 "printf abc > dvd.dvdmedia/VIDEO_TS/VTS_01_1.VOB\n"
                                 "echo 'ERR: Cannot open title0.dvd' >&2\nexit 1"));
    QTemporaryDir work;
    writeFile(workFile(work, QStringLiteral("title0.dvd")), 10);
    writeFile(workFile(work, QStringLiteral("menu0.dvd")), 10);

    DVDFSMake step;
    step.dvdWork(smallLibrary(0), work.path());
    step.start();

    EXPECT_FALSE(step.succeeded());
    EXPECT_TRUE(step.lastError().contains(QLatin1String("status 1")))
        << qPrintable(step.lastError());
    EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("author.xml"))));
    EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("dvd.dvdmedia"))));
    EXPECT_TRUE(QFile::exists(workFile(work, QStringLiteral("title0.dvd"))))
        << "the streams are the pipeline's to remove";
    EXPECT_TRUE(QFile::exists(workFile(work, QStringLiteral("menu0.dvd"))));
}

TEST(DVDFSMake, AFolderLeftFromAnEarlierRunIsRemovedFirst)
{
    // dvdauthor adds a title set to an existing folder: the disc would hold the titles twice.
    FakeToolFolder tools;
    tools.install(QStringLiteral("dvdauthor"),
                  QStringLiteral("if [ -e dvd.dvdmedia ]; then echo stale; else echo clean; fi "
                                 "> \"$RECORDS/dvdauthor.seen\""));
    QTemporaryDir work;
    writeFile(workFile(work, QStringLiteral("dvd.dvdmedia/VIDEO_TS/VTS_01_1.VOB")), 100);

    DVDFSMake step;
    step.dvdWork(smallLibrary(0), work.path());
    step.start();
    EXPECT_EQ(tools.recordedFile(QStringLiteral("dvdauthor"), QStringLiteral("seen")),
              QStringLiteral("clean\n"));
}

TEST(DVDFSMake, CancelFromAnotherThreadStopsDvdauthorAndCleansUp)
{
    FakeToolFolder tools;
    tools.install(
        QStringLiteral("dvdauthor"),
        startedThenSleep(QStringLiteral("dvdauthor"),
                         QStringLiteral("/bin/mkdir -p dvd.dvdmedia/VIDEO_TS\n"
                                        "printf abcdef > dvd.dvdmedia/VIDEO_TS/VTS_01_1.VOB")));
    QTemporaryDir work;
    writeFile(workFile(work, QStringLiteral("title0.dvd")), 12);

    DVDFSMake step;
    step.dvdWork(smallLibrary(1), work.path());
    std::thread production([&] { step.start(); });
    ASSERT_TRUE(tools.waitForRecord(QStringLiteral("dvdauthor"), QStringLiteral("started")));
    EXPECT_TRUE(step.task());
    EXPECT_DOUBLE_EQ(step.progress(), 0.5) << "6 of 12 bytes written";
    step.cancel();
    production.join();

    EXPECT_FALSE(step.succeeded());
    EXPECT_EQ(step.lastError(), QStringLiteral("cancelled"));
    EXPECT_EQ(step.task(), nullptr);
    EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("author.xml"))));
    EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("dvd.dvdmedia"))));
    EXPECT_TRUE(QFile::exists(workFile(work, QStringLiteral("title0.dvd"))));
}

TEST(DVDFSMake, CancelBeforeStartRunsNothing)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("dvdauthor"));
    QTemporaryDir work;
    DVDFSMake step;
    step.dvdWork(smallLibrary(1), work.path());
    step.cancel();
    step.start();
    EXPECT_FALSE(tools.ran(QStringLiteral("dvdauthor")));
    EXPECT_FALSE(step.succeeded());
    EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("author.xml"))));

    DVDFSMake unprepared;
    unprepared.start(); // nothing prepared: nothing happens
    EXPECT_FALSE(unprepared.succeeded());
}

TEST(DVDFSMake, SizesCountOnlyFilesDirectlyInTheFolder)
{
    QTemporaryDir work;
    writeFile(workFile(work, QStringLiteral("title0.dvd")), 1000);
    writeFile(workFile(work, QStringLiteral("menu0.dvd")), 500);
    writeFile(workFile(work, QStringLiteral("dvd.dvdmedia/VIDEO_TS/VTS_01_1.VOB")), 7000);
    EXPECT_EQ(DVDFSMake::fileSizeForItem(work.path()), 1500) << "a subfolder counts 0";
    EXPECT_EQ(DVDFSMake::fileSizeForItem(QString()), 0);
    EXPECT_EQ(DVDFSMake::fileSizeForItem(workFile(work, QStringLiteral("missing"))), 0);
    EXPECT_EQ(DVDFSMake::fileSizeForFile(workFile(work, QStringLiteral("menu0.dvd"))), 500);
    EXPECT_EQ(DVDFSMake::fileSizeForFile(workFile(work, QStringLiteral("missing"))), 0);

    DVDFSMake fresh;
    EXPECT_EQ(fresh.progress(), 0.0) << "nothing written yet";
}

// --- mkisofs step ----------------------------------------------------------------------------

TEST(DVDImageMake, RunsMkisofsOnTheChosenFolder)
{
    struct Row
    {
        const char *name;
        std::optional<QString> inputPath;
        bool custom;
    };
    const Row rows[] = {
        {"no input path packs dvd.dvdmedia", std::nullopt, false},
        {"an empty input path packs dvd.dvdmedia", QString(), false},
        {"a chosen folder", QStringLiteral("custom"), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeToolFolder tools;
        tools.install(QStringLiteral("mkisofs"), QStringLiteral("printf 12345 > dvd.iso"));
        QTemporaryDir work;
        const QString defaultFolder = workFile(work, QStringLiteral("dvd.dvdmedia"));
        const QString customFolder = workFile(work, QStringLiteral("elsewhere/My Disc"));
        writeFile(defaultFolder + QStringLiteral("/VIDEO_TS/VIDEO_TS.IFO"), 10);
        writeFile(customFolder + QStringLiteral("/VIDEO_TS/VIDEO_TS.IFO"), 20);

        DVDImageMake step;
        step.volumeWork(QStringLiteral("My Disc"), work.path());
        if (row.inputPath)
            step.setInputPath(row.custom ? customFolder : *row.inputPath);
        step.start();

        const QString input = row.custom ? customFolder : defaultFolder;
        EXPECT_TRUE(step.succeeded()) << qPrintable(step.lastError());
        EXPECT_EQ(tools.recordedArguments(QStringLiteral("mkisofs")),
                  (QStringList{QStringLiteral("-dvd-video"),
                               QStringLiteral("-input-charset"),
                               QStringLiteral("utf-8"),
                               QStringLiteral("-V"),
                               QStringLiteral("My Disc"),
                               QStringLiteral("-o"),
                               QStringLiteral("dvd.iso"),
                               input}));
        EXPECT_EQ(tools.recordedDirectory(QStringLiteral("mkisofs")),
                  QFileInfo(work.path()).canonicalFilePath());
        EXPECT_EQ(step.totalSize(), row.custom ? 20 : 10);
        EXPECT_EQ(step.output(), workFile(work, QStringLiteral("dvd.iso")));
        EXPECT_DOUBLE_EQ(step.progress(), 5.0 / double(step.totalSize()));
    }
}

TEST(DVDImageMake, AFailedOrStoppedRunLeavesNoImage)
{
    struct Row
    {
        const char *name;
        QString body;
        bool cancel;
    };
    const Row rows[] = {
        {"non-zero exit after a partial image",
         QStringLiteral("printf partial > dvd.iso\nexit 1"),
         false},
        {"non-zero exit after an empty image", QStringLiteral(": > dvd.iso\nexit 255"), false},
        {"killed by a signal", QStringLiteral("printf partial > dvd.iso\nkill -KILL $$"), false},
        {"cancelled while writing",
         startedThenSleep(QStringLiteral("mkisofs"), QStringLiteral("printf partial > dvd.iso")),
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeToolFolder tools;
        tools.install(QStringLiteral("mkisofs"), row.body);
        QTemporaryDir work;
        writeFile(workFile(work, QStringLiteral("dvd.dvdmedia/VIDEO_TS/VIDEO_TS.IFO")), 10);

        DVDImageMake step;
        step.volumeWork(QStringLiteral("DISC"), work.path());
        std::thread production([&] { step.start(); });
        if (row.cancel) {
            ASSERT_TRUE(tools.waitForRecord(QStringLiteral("mkisofs"), QStringLiteral("started")));
            EXPECT_DOUBLE_EQ(step.progress(), 0.7) << "7 of 10 bytes written";
            step.cancel();
        }
        production.join();

        EXPECT_FALSE(step.succeeded());
        EXPECT_FALSE(step.lastError().isEmpty());
        EXPECT_FALSE(QFile::exists(workFile(work, QStringLiteral("dvd.iso"))));
        EXPECT_TRUE(
            QFile::exists(workFile(work, QStringLiteral("dvd.dvdmedia/VIDEO_TS/VIDEO_TS.IFO"))))
            << "the folder is not the image step's to remove";
    }
}

TEST(DVDImageMake, CancelBeforeStartRunsNothing)
{
    FakeToolFolder tools;
    tools.install(QStringLiteral("mkisofs"));
    QTemporaryDir work;
    DVDImageMake step;
    step.volumeWork(QStringLiteral("DISC"), work.path());
    step.cancel();
    step.start();
    EXPECT_FALSE(tools.ran(QStringLiteral("mkisofs")));
    EXPECT_FALSE(step.succeeded());
}
