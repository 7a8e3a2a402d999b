// A production ended by SIGTERM: the run is cancelled as its Cancel button does, the process ends
// within seconds, and no work folder is left in the output folder. The production is the bench's
// whole-disc run (its own process, the progress window's controller as the application drives
// it) over two tiny clips.

#include "support/ClipFixtures.h"
#include "support/ProductionFixtures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString kProductionBench = QStringLiteral(DW_BINARY_DIR "/bench/discwright-bench-production");

// Regression: a production killed by SIGTERM left 24-50 MB of work files in
// <output>/temp/dvd-flow.dir.
TEST(ProductionSignal, SigtermCancelsTheRunAndLeavesNoWorkFolder)
{
    const QString missing
        = production_fixtures::missingTool({"ffmpeg", "spumux", "dvdauthor", "mkisofs"});
    if (!missing.isEmpty())
        GTEST_SKIP() << qPrintable(missing) << " is missing";
    if (!QFile::exists(kProductionBench))
        GTEST_SKIP() << "the production bench is not built";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString clips = dir.filePath("clips");
    QDir().mkpath(clips);
    const QString red = clips + "/red.mp4";
    const QString blue = clips + "/blue.mp4";
    ASSERT_TRUE(QFile::copy(app_testing::ClipFixtures::shared().colour("red", 4), red));
    ASSERT_TRUE(QFile::copy(app_testing::ClipFixtures::shared().colour("blue", 4), blue));
    const QString output = dir.filePath("out");
    QDir().mkpath(output);

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", dir.path());
    environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    environment.insert("TMPDIR", dir.path());
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(kProductionBench, {"--run", "folder", output + "/DVD", red, blue});
    ASSERT_TRUE(run.waitForStarted());
    // The run is under way once its work folder holds the title step's first output.
    const QString work = output + "/temp";
    const QDeadlineTimer started(120000);
    while (!QDir(work + "/dvd-flow.dir").exists() && run.state() == QProcess::Running
           && !started.hasExpired())
        run.waitForFinished(50);
    ASSERT_EQ(run.state(), QProcess::Running) << "the run ended before it could be stopped";
    ASSERT_TRUE(QDir(work).exists());

    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(run.processId()), SIGTERM);
    ASSERT_TRUE(run.waitForFinished(10000)) << "still running 10 s after SIGTERM";
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 128 + SIGTERM);
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_FALSE(QFileInfo::exists(output + "/DVD"));
    const QStringList left
        = QDir(output).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : left)
        EXPECT_FALSE(name.startsWith("temp")) << qPrintable(name);
}

} // namespace
