// A quit in the middle of a production run: the main window closed by the window manager at a
// random moment of a folder run. The program (this test program, started again as a child) must
// cancel the run, wait for its jobs, remove its work folder and exit within 10 s, leaving the
// package it had open as it was.

#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/MainWindowDocumentHost.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "support/ShellTesting.h"
#include "testsupport/MediaFixtures.h"

#include <QButtonGroup>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

const char *const packageVariable = "DW_QUIT_TEST_PACKAGE";
const char *const outputVariable = "DW_QUIT_TEST_OUTPUT";
const char *const delayVariable = "DW_QUIT_TEST_DELAY_MS";

// Every file of a folder with a digest of its bytes, relative to the folder.
QStringList folderDigest(const QString &folder)
{
    QStringList lines;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        QByteArray digest;
        if (file.open(QIODevice::ReadOnly))
            digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
        lines << QDir(folder).relativeFilePath(path) + u' ' + QString::fromLatin1(digest);
    }
    lines.sort();
    return lines;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

// The child: opens the package, starts a folder run into the output folder, and closes the main
// window after the delay. It says "closing" on its standard output just before.
TEST(QuitDuringProductionChild, RunsUntilTheWindowCloses)
{
    const QString package = qEnvironmentVariable(packageVariable);
    if (package.isEmpty())
        GTEST_SKIP() << "started by QuitDuringProduction only";
    const QString output = qEnvironmentVariable(outputVariable);
    const int delayMs = qEnvironmentVariableIntValue(delayVariable);

    application();
    ScopedPanels panels;
    auto controller = std::make_shared<MainWindowController>();
    ControllerFunction::setMainWndController(controller);
    bool terminated = false;
    auto host = std::make_unique<MainWindowDocumentHost>(
        *controller, nullptr, [&terminated] { terminated = true; });
    host->install();
    ASSERT_TRUE(host->openPackage(package));
    ASSERT_TRUE(runUntil([&] { return !host->isJobRunning(); }, 60000));
    controller->window()->show();

    QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
    BurnSettingWindow *sheet = controller->burnSettingWindow();
    ASSERT_TRUE(sheet->isVisible());
    sheet->burnType()->button(1)->click();
    sheet->dvdNameField()->setText(QStringLiteral("Quit"));
    panels.panel->directories << output;
    QTest::mouseClick(sheet->chooseFolderButton(), Qt::LeftButton);
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    ASSERT_TRUE(controller->convertProgressWindowController()->isRunning());

    QTimer::singleShot(delayMs, controller->window(), [&controller] {
        std::printf("closing\n");
        std::fflush(stdout);
        controller->window()->close();
    });
    ASSERT_TRUE(runUntil([&] { return terminated; }, 120000));
    EXPECT_FALSE(controller->convertProgressWindowController()->isRunning());
    host.reset();
    ControllerFunction::setMainWndController(nullptr);
    controller.reset();
}

TEST(QuitDuringProduction, AtARandomMomentOfARunExitsSoonLeavingNoWorkFolderAndThePackageAsItWas)
{
    application();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString package = work.filePath(QStringLiteral("Quit.dwproj"));
    {
        // A saved project of two five-second titles.
        ScopedPanels panels;
        auto controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        const QString made = fixtures::MediaFixtures::shared().h264AacMp4(5);
        ASSERT_FALSE(made.isEmpty());
        QStringList paths;
        for (const char *name : {"Beach.mp4", "City.mp4"}) {
            paths << work.filePath(QString::fromUtf8(name));
            ASSERT_TRUE(QFile::copy(made, paths.last()));
        }
        panels.panel->files << paths;
        QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
        ASSERT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
        ProjectContents contents{
            controller->dvd(), controller->tempDataArray(), controller->tempDvdData()};
        QString error;
        const auto snapshot = ProjectPackage::takeSnapshot(contents, QString(), &error);
        ASSERT_TRUE(snapshot) << error.toStdString();
        ASSERT_TRUE(ProjectPackage::writePackage(
            *snapshot, package, ProjectPackage::WriteMode::Replace, nullptr, &error))
            << error.toStdString();
        ControllerFunction::setMainWndController(nullptr);
    }
    const QStringList saved = folderDigest(package);
    ASSERT_FALSE(saved.isEmpty());

    QRandomGenerator random(20261211);
    for (int run = 0; run < 20; ++run) {
        // From at once to after the short run has ended.
        const int delayMs = int(random.bounded(4000));
        SCOPED_TRACE(
            QStringLiteral("run %1, closed after %2 ms").arg(run).arg(delayMs).toStdString());
        const QString output = work.filePath(QStringLiteral("out%1").arg(run));
        ASSERT_TRUE(QDir().mkpath(output));

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(packageVariable), package);
        environment.insert(QString::fromLatin1(outputVariable), output);
        environment.insert(QString::fromLatin1(delayVariable), QString::number(delayMs));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=QuitDuringProductionChild.*")});
        ASSERT_TRUE(child.waitForStarted(30000));
        QByteArray said;
        QElapsedTimer sinceStart;
        sinceStart.start();
        while (!said.contains("closing") && child.state() == QProcess::Running
               && sinceStart.elapsed() < 180000) {
            child.waitForReadyRead(200);
            said += child.readAllStandardOutput();
        }
        ASSERT_TRUE(said.contains("closing")) << said.toStdString();
        QElapsedTimer sinceClose;
        sinceClose.start();
        const bool exited = child.waitForFinished(10000);
        if (!exited) {
            child.kill();
            child.waitForFinished(5000);
        }
        said += child.readAllStandardOutput();
        ASSERT_TRUE(exited) << "still running 10 s after the close";
        EXPECT_LE(sinceClose.elapsed(), 10000);
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << said.toStdString();

        // No work folder is left; a run that ended before the close left its whole result.
        const QStringList left = entriesOf(output);
        EXPECT_TRUE(left.isEmpty() || left == QStringList{QStringLiteral("Quit")})
            << left.join(u',').toStdString();
        if (!left.isEmpty()) {
            EXPECT_TRUE(QFileInfo::exists(output + QStringLiteral("/Quit/VIDEO_TS/VIDEO_TS.IFO")));
        }
        EXPECT_EQ(folderDigest(package), saved) << "the package is as it was";
    }
}
