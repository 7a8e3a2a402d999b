// The progress window over a scripted run of steps: the weights of each request, the bar never
// above 0.99 nor falling within a step, the reveal of the result, cancelling, and the alerts
// between copies of a disc run.

#include "support/ShellTesting.h"

#include "Platterkit/burn/DVDBurn.h"
#include "app/Controller/ConvertProgressWindowController.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <mutex>

using namespace shell_testing;

namespace {

// Steps that take a few tenths of a second each, moving their fraction from 0 to 1, and make
// what they are asked to make.
class ScriptedWorkflow : public ConvertProgressWorkflow
{
public:
    struct Log
    {
        std::mutex lock;
        QStringList steps;
        QString workPath;
        std::function<void(const QString &)> onStep;
    };
    explicit ScriptedWorkflow(std::shared_ptr<Log> log)
        : m_log(std::move(log))
    {}

    void setTempWorkPath(const QString &path) override
    {
        std::lock_guard locker(m_log->lock);
        m_log->workPath = path;
    }
    bool makeMedia(const std::shared_ptr<DVDLibrary> &, const QString &folder) override
    {
        if (!step("media"))
            return false;
        QDir().mkpath(folder + "/VIDEO_TS");
        return !m_cancelled;
    }
    bool makeIso(const QString &, const QString &isoPath, const QString &name) override
    {
        if (!step("iso " + name))
            return false;
        QFile iso(isoPath);
        iso.open(QIODevice::WriteOnly);
        iso.write(QByteArray(4096, 'i'));
        return true;
    }
    bool burnDvd(const QString &, DVDBurn *) override { return step("burn"); }
    double progress() const override { return m_progress; }
    void cancel() override { m_cancelled = true; }

private:
    bool step(const QString &name)
    {
        std::function<void(const QString &)> onStep;
        {
            std::lock_guard locker(m_log->lock);
            m_log->steps << name;
            onStep = m_log->onStep;
        }
        if (onStep)
            onStep(name);
        for (int i = 0; i <= 10 && !m_cancelled; ++i) {
            m_progress = i / 10.0;
            QThread::msleep(40);
        }
        return !m_cancelled;
    }

    std::shared_ptr<Log> m_log;
    std::atomic<double> m_progress = 0;
    std::atomic<bool> m_cancelled = false;
};

class ProgressWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        main.resize(600, 400);
        main.show();
        progress = std::make_unique<ConvertProgressWindowController>(&main);
        progress->setWorkflowFactory(
            [this] { return std::make_unique<ScriptedWorkflow>(log); });
        work = output.filePath(".work");
        QDir().mkpath(work);
        progress->setTempWorkPath(work);
        // The bar as the window shows it, every 50 ms while a run is up.
        sampler.setInterval(50);
        QObject::connect(&sampler, &QTimer::timeout, [this] {
            if (progress->window()->isVisible())
                samples << progress->progress();
        });
        sampler.start();
    }

    QMainWindow main;
    ScopedPanels panels;
    QTemporaryDir output;
    QString work;
    std::shared_ptr<ScriptedWorkflow::Log> log = std::make_shared<ScriptedWorkflow::Log>();
    std::unique_ptr<ConvertProgressWindowController> progress;
    QTimer sampler;
    QList<double> samples;
};

TEST_F(ProgressWindow, AFolderRunRevealsTheFolderAndLeavesNoWorkFolder)
{
    const QString folder = output.filePath("My Disc");
    bool grabbed = false;
    QTimer::singleShot(150, [&] {
        EXPECT_TRUE(progress->window()->isVisible());
        EXPECT_EQ(progress->convertVideoStatus()->text(), "Convert Video ...");
        saveGrab(*progress->window(), "progress-window");
        grabbed = true;
    });
    progress->burnMedia(std::make_shared<DVDLibrary>(), folder);
    EXPECT_TRUE(grabbed);
    EXPECT_FALSE(progress->window()->isVisible());
    EXPECT_TRUE(QFileInfo(folder + "/VIDEO_TS").isDir());
    EXPECT_EQ(panels.workspace->selectedFiles, QStringList({folder}));
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_EQ(log->workPath, work + "/dvd-flow.dir");
    ASSERT_FALSE(samples.isEmpty());
    for (int i = 1; i < samples.size(); ++i)
        EXPECT_GE(samples[i], samples[i - 1]);
    for (double sample : samples)
        EXPECT_LE(sample, 0.99);
}

TEST_F(ProgressWindow, AnIsoRunStandsAtNineTenthsWhenImagingStarts)
{
    double atImage = -1;
    log->onStep = [&](const QString &step) {
        if (!step.startsWith("iso"))
            return;
        // The main thread's next tick shows the finished folder share.
        QThread::msleep(300);
        QMetaObject::invokeMethod(
            progress.get(), [&] { atImage = progress->progress(); }, Qt::BlockingQueuedConnection);
    };
    const QString iso = output.filePath("My Disc.iso");
    progress->burnIso(std::make_shared<DVDLibrary>(), iso, "My Disc");
    EXPECT_NEAR(atImage, 0.9, 0.011);
    EXPECT_EQ(log->steps, QStringList({"media", "iso My Disc"}));
    EXPECT_TRUE(QFile::exists(iso));
    EXPECT_EQ(panels.workspace->selectedFiles, QStringList({iso}));
    EXPECT_FALSE(QFileInfo::exists(work));
    for (double sample : samples)
        EXPECT_LE(sample, 0.99);
}

TEST_F(ProgressWindow, ACancelledFolderRunLeavesNoFolderAndRevealsNothing)
{
    const QString folder = output.filePath("My Disc");
    QTimer::singleShot(150, [&] { progress->cancel(); });
    progress->burnMedia(std::make_shared<DVDLibrary>(), folder);
    EXPECT_TRUE(progress->isCancelled());
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(panels.workspace->selectedFiles.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(work));
}

// A disc of three copies: after the first burn the insert-disc alert comes for each further copy;
// "Cancel" then "NO" asks again for the same copy.
TEST_F(ProgressWindow, EveryFurtherCopyAsksForABlankDiscAndDecliningAsksToConfirm)
{
    QTemporaryDir drives;
    const auto device = DVDBurnDevice::addPseudoDrive(drives.filePath("disc.img"));
    DVDBurn burner;
    burner.setDevice(device);
    progress->setBurnDVDTimes(3);
    QStringList seen;
    QString text;
    // Copy 2: "Burn" (the pseudo-drive may not be ready; the test presses whatever is enabled).
    const auto answer = [&](const QString &button, int limitMs) {
        QString one;
        bool done = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QMessageBox *box = progress->currentAlert();
            if (!box || !box->isVisible())
                return;
            for (QAbstractButton *candidate : box->buttons()) {
                if (candidate->text() == button) {
                    // The default button is enabled only for a ready disc: force it here, the
                    // scripted burn needs no disc.
                    candidate->setEnabled(true);
                    seen << box->text() + " | " + button;
                    poll.stop();
                    candidate->click();
                    done = true;
                    return;
                }
            }
        });
        poll.start();
        return runUntil([&] { return done; }, limitMs);
    };
    bool scripted = true;
    QTimer::singleShot(0, [&] {
        scripted = scripted && answer("Burn", 30000);
        scripted = scripted && answer("Cancel", 30000);
        scripted = scripted && answer("NO", 30000);
        scripted = scripted && answer("Burn", 30000);
    });
    progress->burnDvd(std::make_shared<DVDLibrary>(), &burner, "My Disc");
    EXPECT_TRUE(scripted);
    EXPECT_EQ(log->steps, QStringList({"media", "iso My Disc", "burn", "burn", "burn"}));
    EXPECT_EQ(seen, QStringList({"Burn DVD | Burn", "Burn DVD | Cancel",
                                 "Are you sure stop burning DVD ? | NO", "Burn DVD | Burn"}));
    EXPECT_EQ(progress->statusText(), "Burn DVD ...");
    EXPECT_FALSE(QFileInfo::exists(work));
    DVDBurnDevice::removePseudoDrive(drives.filePath("disc.img"));
}

TEST_F(ProgressWindow, OneCopyAsksNothing)
{
    DVDBurn burner;
    progress->setBurnDVDTimes(1);
    bool asked = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] { asked = asked || progress->currentAlert(); });
    watch.start();
    progress->burnDvd(std::make_shared<DVDLibrary>(), &burner, "My Disc");
    EXPECT_FALSE(asked);
    EXPECT_EQ(log->steps, QStringList({"media", "iso My Disc", "burn"}));
}

// Between copies the text says what is wrong with the disc in the drive.
TEST(ProgressWindowDiscState, TextsFollowTheDiscInTheDrive)
{
    application();
    QTemporaryDir drives;
    const QString image = drives.filePath("disc.img");
    const auto device = DVDBurnDevice::addPseudoDrive(image);
    DVDBurn burner;
    burner.setDevice(device);
    const auto blank = ConvertProgressWindowController::discStateFor(burner, 1024);
    EXPECT_EQ(blank.ready, burner.mediaIsPresent() && burner.mediaIsBlank());
    if (blank.ready)
        EXPECT_EQ(blank.text, "Ready to Burn");
    const auto huge = ConvertProgressWindowController::discStateFor(burner, qint64(1) << 50);
    EXPECT_FALSE(huge.ready);
    DVDBurnDevice::removePseudoDrive(image);
}

} // namespace
