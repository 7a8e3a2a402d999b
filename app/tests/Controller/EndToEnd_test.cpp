// A person's road through the window: two clips added with Add Video land on the menu page, Burn
// opens the settings sheet, a DVD folder and an ISO image are produced behind the progress window
// and shown in the file viewer, two copies are burned to a pseudo-drive with the change of discs
// between them, and the results read back as DVD-Video.

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/burn/DVDBurnDevice.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "app/production/DiscSizeEstimate.h"
#include "support/ShellTesting.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
        ASSERT_TRUE(waitForProductionEnd(*controller));
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

TEST_F(EndToEnd, TwoCopiesToAPseudoDriveAskForTheNextBlankDiscBetweenThem)
{
    addTwoClips();
    // A write-once disc of single-layer size in a file: once written it is no longer blank, until
    // the user takes it out.
    QTemporaryDir drives;
    const QString drive = drives.filePath("burner.disc");
    const QString firstDisc = drives.filePath("disc1.iso");
    const auto device
        = DVDBurnDevice::addPseudoDrive(drive,
                                        {Discwright::DiscSizeEstimate::capacityBytes(
                                             Discwright::DiscSizeEstimate::DiscType::SingleLayer),
                                         true});
    struct Unregister
    {
        QString file;
        ~Unregister() { DVDBurnDevice::removePseudoDrive(file); }
    } unregister{drive};

    QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
    BurnSettingWindow *sheet = controller->burnSettingWindow();
    ASSERT_TRUE(sheet->isVisible());
    sheet->burnType()->button(0)->click();
    sheet->tvStandardType()->button(1)->click();
    sheet->dvdNameField()->setText("Copies");
    // The burner's notifications bring the new writer into the sheet's list.
    QComboBox *devices = sheet->devicePopButton();
    ASSERT_TRUE(runUntil([&] { return devices->findData(device->address()) >= 0; }, 10000));
    devices->setCurrentIndex(devices->findData(device->address()));
    emit devices->activated(devices->currentIndex());
    ASSERT_EQ(controller->burner()->device()->address(), device->address());
    sheet->burnDVDNumberTextField()->setText("2");
    emit sheet->burnDVDNumberTextField()->editingFinished();
    EXPECT_EQ(controller->statusString(), "Ready to burn");
    ASSERT_TRUE(sheet->startButton()->isEnabled());

    // The person at the window: takes the written disc out when told it is not blank, presses
    // Burn once it is enabled, and OK on the alerts at the end of each disc.
    const QString notBlank = "The DVD isn’t blank DVD ,  please insert a blank DVD .";
    QStringList statuses;
    QStringList insertTexts;
    QStringList finalAlerts;
    QByteArray image;
    bool grabbed = false;
    QTimer person;
    person.setInterval(30);
    QObject::connect(&person, &QTimer::timeout, [&] {
        ConvertProgressWindow *progress = controller->progressWindow();
        const QString status = progress->convertVideoStatus()->text();
        if (progress->window()->isVisible() && !status.isEmpty()
            && (statuses.isEmpty() || statuses.last() != status))
            statuses << status;
        QMessageBox *box = visibleAlert();
        if (!box)
            return;
        if (box->text() == "Burn DVD") {
            if (image.isEmpty())
                image = readAll(controller->convertProgressWindowController()->tempWorkPath()
                                + "/dvd.iso");
            if (insertTexts.isEmpty() || insertTexts.last() != box->informativeText())
                insertTexts << box->informativeText();
            if (box->informativeText() == notBlank && QFileInfo::exists(drive)) {
                EXPECT_TRUE(QFile::rename(drive, firstDisc));
            }
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == "Burn" && button->isEnabled()) {
                    if (!grabbed)
                        saveGrab(*box, "burn_copies_insert_disc");
                    grabbed = true;
                    button->click();
                }
            }
            return;
        }
        finalAlerts << box->text();
        for (QAbstractButton *button : box->buttons())
            if (button->text() == "OK")
                button->click();
    });
    person.start();
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForProductionEnd(*controller));
    person.stop();

    const auto request = controller->lastProductionRequest();
    EXPECT_EQ(request.kind, Discwright::OutputNaming::OutputKind::Disc);
    EXPECT_EQ(request.copies, 2);
    ASSERT_EQ(request.result.state, ProductionResult::State::Done)
        << request.result.reason.toStdString();
    EXPECT_EQ(request.result.discsBurned, 2);
    EXPECT_FALSE(controller->progressWindow()->window()->isVisible());
    EXPECT_EQ(statuses, (QStringList{"Convert Video ...", "Burn DVD ..."}));
    ASSERT_GE(insertTexts.size(), 2);
    EXPECT_EQ(insertTexts.first(), notBlank);
    EXPECT_EQ(insertTexts.last(), "Ready to Burn");
    EXPECT_EQ(finalAlerts, (QStringList{"DVD Burn Success", "DVD Burn Success"}));
    EXPECT_TRUE(panels.workspace->selectedFiles.isEmpty()) << "a disc is not shown in the viewer";

    // Both discs hold the image that was made, and it reads back as the two-title disc.
    ASSERT_FALSE(image.isEmpty());
    EXPECT_EQ(readAll(firstDisc), image);
    EXPECT_EQ(readAll(drive), image);
    const testing_support::DiscInfo disc = testing_support::readDisc(firstDisc);
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    EXPECT_EQ(disc.volumeName, "Copies");
    EXPECT_EQ(disc.titles.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(controller->convertProgressWindowController()->tempWorkPath()))
        << "the work folder is gone";
}

} // namespace
