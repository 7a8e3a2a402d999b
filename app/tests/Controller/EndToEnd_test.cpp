// A person's road through the window: two clips added with Add Video land on the menu page, Burn
// opens the settings sheet, a DVD folder and an ISO image are produced behind the progress window
// and shown in the file viewer, and the results read back as DVD-Video.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "support/ShellTesting.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDir>
#include <QJsonObject>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
    }
    void TearDown() override
    {
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    void addTwoClips()
    {
        const QString made = fixtures::MediaFixtures::shared().h264AacMp4(6);
        ASSERT_FALSE(made.isEmpty());
        QStringList paths;
        for (const char *name : {"Beach.mp4", "City.mp4"}) {
            paths << clips.filePath(QString::fromUtf8(name));
            QFile::copy(made, paths.last());
        }
        panels.panel->files << paths;
        QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
        ASSERT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
        const auto items = DVDMenuExtention::titleItems(*controller->dvd()->menus().first());
        ASSERT_EQ(items.size(), 2);
        EXPECT_EQ(items[0]->frame().topLeft(), QPointF(76, 276));
        EXPECT_EQ(items[1]->frame().topLeft(), QPointF(336, 276));
    }

    // Burn, the kind, the name and the folder, then Start; answers when the run is over.
    void produce(int kind, const QString &name)
    {
        QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
        BurnSettingWindow *sheet = controller->burnSettingWindow();
        ASSERT_TRUE(sheet->isVisible());
        sheet->burnType()->button(kind)->click();
        sheet->tvStandardType()->button(1)->click();
        sheet->dvdNameField()->setText(name);
        panels.panel->directories << output.path();
        QTest::mouseClick(sheet->chooseFolderButton(), Qt::LeftButton);
        ASSERT_TRUE(sheet->startButton()->isEnabled());
        bool sawProgress = false;
        QTimer watch;
        watch.setInterval(50);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            sawProgress = sawProgress || controller->progressWindow()->window()->isVisible();
        });
        watch.start();
        QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
        EXPECT_TRUE(sawProgress);
        EXPECT_FALSE(controller->progressWindow()->window()->isVisible());
        EXPECT_EQ(controller->lastProductionRequest().result.state, ProductionResult::State::Done)
            << controller->lastProductionRequest().result.reason.toStdString();
    }

    QApplication &app = application();
    ScopedPanels panels;
    QTemporaryDir clips;
    QTemporaryDir output;
    std::shared_ptr<MainWindowController> controller;
};

TEST_F(EndToEnd, TwoClipsBecomeAPalWideDiscFolderAndAnImage)
{
    addTwoClips();
    produce(1, "E2E");
    const QString folder = output.filePath("E2E");
    EXPECT_EQ(panels.workspace->selectedFiles, QStringList({folder}));
    const testing_support::DiscInfo disc = testing_support::readDisc(folder);
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    ASSERT_EQ(disc.titles.size(), 2);
    for (const auto &title : disc.titles) {
        EXPECT_EQ(title.format, "PAL");
        EXPECT_EQ(title.aspect, "16/9");
        EXPECT_NEAR(title.lengthSeconds, 6.0, 0.5);
    }
    const QJsonObject audio = fixtures::firstStreamOfType(
        fixtures::ffprobeStreamsAndFormat(folder + "/VIDEO_TS/VTS_01_1.VOB"), "audio");
    EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
    // Only the result is left beside what was there.
    EXPECT_EQ(QDir(output.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"E2E"}));

    produce(3, "E2E");
    const QString iso = output.filePath("E2E.iso");
    EXPECT_EQ(panels.workspace->selectedFiles.last(), iso);
    const testing_support::DiscInfo image = testing_support::readDisc(iso);
    ASSERT_TRUE(image.ok) << image.error.toStdString();
    EXPECT_EQ(image.volumeName, "E2E");
    EXPECT_EQ(image.titles.size(), 2);
}

} // namespace
