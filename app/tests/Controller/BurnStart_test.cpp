// From the Burn button to the start of a run: the checks before the settings sheet, the sheet of
// each output kind, the disc status of a drive, the disc name and copies, the output names, and
// the work folder of a run.

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/DVDVideoConversion.h"
#include "support/ShellTesting.h"
#include "testsupport/MediaFixtures.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <mutex>

using namespace shell_testing;

namespace {

// The conversion of a run: records what it was handed and stops the run there, so the sheet's
// side of the start is seen without converting anything.
class RecordingConversion : public DVDVideoConversion
{
public:
    struct Log
    {
        int runs = 0;
        qint64 format = -1;
        QString workPath;
    };
    explicit RecordingConversion(std::shared_ptr<Log> log)
        : m_log(std::move(log))
    {}
    void makeDVDVideo(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath) override
    {
        ++m_log->runs;
        m_log->format = dvd->format();
        m_log->workPath = workPath;
    }
    bool succeeded() const override { return false; }
    QString lastError() const override { return QStringLiteral("stopped by the test"); }
    void cancel() override {}
    double progress() const override { return 0; }

private:
    std::shared_ptr<Log> m_log;
};

class BurnStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
        controller->convertProgressWindowController()->setConversionFactory(
            [this] { return std::make_shared<RecordingConversion>(log); });
        sheet = controller->burnSettingWindow();
    }
    void TearDown() override
    {
        if (sheet->isVisible())
            sheet->reject();
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    // One title, and the disc without menus so that it counts as used.
    void addTitleWithoutMenus()
    {
        const QString clip = fixtures::MediaFixtures::shared().h264AacMp4(6);
        ASSERT_FALSE(clip.isEmpty());
        bool done = false;
        controller->sourceController()->importFiles({clip}, [&] { done = true; });
        ASSERT_TRUE(runUntil([&] { return done; }));
        controller->dvd()->setNoMenu(true);
        controller->changeCapacityValue();
    }

    void openSheet()
    {
        QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
        ASSERT_TRUE(sheet->isVisible());
    }

    void chooseKind(int tag) { sheet->burnType()->button(tag)->click(); }

    ScopedPanels panels;
    std::shared_ptr<RecordingConversion::Log> log = std::make_shared<RecordingConversion::Log>();
    std::shared_ptr<MainWindowController> controller;
    BurnSettingWindow *sheet = nullptr;
    QTemporaryDir output;
};

TEST_F(BurnStart, WithoutATitleOnThePagesBurnExplainsAndOpensNoSheet)
{
    QString seen;
    answerNextAlert("OK", &seen);
    controller->burnButtonAction();
    EXPECT_TRUE(seen.startsWith("Please import video to DVD menu area"));
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(BurnStart, TheSheetOfEachKindShowsItsOwnOptions)
{
    addTitleWithoutMenus();
    openSheet();
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->burnType()->checkedId(), 0);
    EXPECT_EQ(sheet->dvdNameField()->text(), "DVD Name");
    EXPECT_EQ(sheet->burnDVDNumberTextField()->text(), "1");
    EXPECT_NE(sheet->tvStandardType()->checkedId(), -1);
    EXPECT_TRUE(controller->isWindowBusy());
    EXPECT_FALSE(controller->menuAction("addVideoAction:")->isEnabled());
    const char *names[]
        = {"burn-sheet-disc", "burn-sheet-folder", "burn-sheet-dvdmedia", "burn-sheet-iso"};
    controller->setSelectedOutputFolder(output.path());
    for (int tag = 0; tag < 4; ++tag) {
        SCOPED_TRACE(tag);
        chooseKind(tag);
        EXPECT_EQ(sheet->dvdOptionView()->isVisible(), tag == 0);
        EXPECT_EQ(sheet->chooseFolderView()->isVisible(), tag != 0);
        if (tag != 0) {
            EXPECT_TRUE(controller->canBurn());
            EXPECT_EQ(controller->statusString(), "Ready to burn");
            EXPECT_TRUE(sheet->startButton()->isEnabled());
        }
        saveGrab(*sheet, names[tag]);
    }
    // A folder that is gone cannot be written into.
    controller->setSelectedOutputFolder(output.filePath("gone"));
    chooseKind(1);
    EXPECT_FALSE(controller->canBurn());
    EXPECT_EQ(controller->statusString(), "Please choose an output Directory.");
    // Choose Directory takes the panel's answer.
    panels.panel->directories << output.path();
    QTest::mouseClick(sheet->chooseFolderButton(), Qt::LeftButton);
    EXPECT_EQ(panels.panel->titles, QStringList({"Choose Directory"}));
    EXPECT_EQ(controller->selectedOutputFolder(), output.path());
    EXPECT_TRUE(controller->canBurn());
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(log->runs, 0);
}

TEST_F(BurnStart, TheDiscStatusFollowsTheTitlesAndTheDrive)
{
    QTemporaryDir drives;
    const QString image = drives.filePath("blank-disc.img");
    const auto device = DVDBurnDevice::addPseudoDrive(image);
    controller->awakeDVDBurnSettingWindow();
    QComboBox *devices = sheet->devicePopButton();
    ASSERT_GE(devices->count(), 1);
    EXPECT_NE(devices->findText(device->displayName()), -1);
    // No titles: nothing to burn, whatever the drive.
    EXPECT_EQ(controller->statusString(), "Please import some media.");
    EXPECT_FALSE(controller->canBurn());

    addTitleWithoutMenus();
    controller->selectDVDDeviceWithIndex(devices->findText(device->displayName()));
    controller->updateDVDBurnStatus();
    DVDBurn &burner = *controller->burner();
    QString expected;
    if (!burner.mediaIsPresent())
        expected = "No disc,please insert a blank disc.";
    else if (!burner.mediaIsBlank())
        expected = "Disc not blank,please insert a blank disc.";
    else if (burner.mediaWritableSpace() < controller->totalUsedSpace())
        expected = "Disc space is not enough.";
    else
        expected = "Ready to burn";
    EXPECT_EQ(controller->statusString(), expected);
    EXPECT_EQ(controller->canBurn(), expected == "Ready to burn");
    // An index beyond the list changes nothing.
    const int selected = devices->currentIndex();
    controller->selectDVDDeviceWithIndex(devices->count() + 3);
    EXPECT_EQ(devices->currentIndex(), selected);
    DVDBurnDevice::removePseudoDrive(image);
}

TEST_F(BurnStart, CopiesAreAWholeNumberFromOneTo999)
{
    struct Row
    {
        const char *typed;
        const char *shown;
    };
    for (const Row &row : {Row{"0", "1"}, Row{"abc", "1"}, Row{"5000", "999"}, Row{"3", "3"}}) {
        SCOPED_TRACE(row.typed);
        sheet->burnDVDNumberTextField()->setText(QString::fromUtf8(row.typed));
        emit sheet->burnDVDNumberTextField()->editingFinished();
        EXPECT_EQ(sheet->burnDVDNumberTextField()->text(), QString::fromUtf8(row.shown));
    }
}

TEST_F(BurnStart, ALongNameIsRefusedWithTheSheetOpenAndNothingMade)
{
    addTitleWithoutMenus();
    openSheet();
    controller->setSelectedOutputFolder(output.path());
    chooseKind(1);
    // 11 characters of three bytes each: 33 bytes.
    sheet->dvdNameField()->setText(QString::fromUtf8("光光光光光光光光光光光"));
    QString seen;
    answerNextAlert("OK", &seen, 20000, "name-alert");
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForProductionEnd(*controller));
    EXPECT_TRUE(seen.startsWith("DVD Name is too long , the max length is 31 chars ."));
    EXPECT_TRUE(seen.contains("is too long"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(log->runs, 0);
    EXPECT_TRUE(QDir(output.path())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());

    // 31 ASCII characters pass.
    const QString name(31, QChar('a'));
    sheet->dvdNameField()->setText(name);
    answerNextAlert("OK", &seen);
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForProductionEnd(*controller));
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(log->runs, 1);
    EXPECT_EQ(controller->lastProductionRequest().output, output.filePath(name));
    EXPECT_EQ(controller->lastProductionRequest().name, name);
    // The run stopped at the conversion and said so.
    EXPECT_TRUE(seen.startsWith("The DVD folder could not be made.")) << seen.toStdString();
}

TEST_F(BurnStart, OutputsTakeTheFirstFreeNameAndTheUsersOwnTempFolderIsLeftAlone)
{
    addTitleWithoutMenus();
    // What the user already keeps in the output folder.
    QDir(output.path()).mkpath("My Disc");
    QDir(output.path()).mkpath("My Disc_1");
    QDir(output.path()).mkpath("temp/keep");
    controller->setSelectedOutputFolder(output.path());

    struct Row
    {
        int kind;
        const char *expected;
    };
    for (const Row &row :
         {Row{1, "My Disc_2"}, Row{2, "My Disc.dvdmedia"}, Row{3, "My Disc.iso"}}) {
        SCOPED_TRACE(row.expected);
        openSheet();
        controller->setSelectedOutputFolder(output.path());
        chooseKind(row.kind);
        sheet->tvStandardType()->button(0)->click();
        // An empty name is the default name.
        sheet->dvdNameField()->clear();
        answerNextAlert("OK");
        QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
        ASSERT_TRUE(waitForProductionEnd(*controller));
        const auto request = controller->lastProductionRequest();
        EXPECT_EQ(request.output, output.filePath(QString::fromUtf8(row.expected)));
        EXPECT_EQ(request.name, "My Disc");
        EXPECT_EQ(request.result.state, ProductionResult::State::Failed);
        // The production copy gets the standard of the sheet.
        EXPECT_EQ(log->format, 0);
        // The run worked in a folder of its own beside the user's "temp", and removed it.
        EXPECT_FALSE(log->workPath.isEmpty());
        EXPECT_FALSE(log->workPath.startsWith(output.filePath("temp") + "/"));
        EXPECT_FALSE(QFileInfo::exists(log->workPath));
    }
    QFile(output.filePath("My Disc.iso")).open(QIODevice::WriteOnly);
    openSheet();
    controller->setSelectedOutputFolder(output.path());
    chooseKind(3);
    sheet->dvdNameField()->clear();
    answerNextAlert("OK");
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForProductionEnd(*controller));
    EXPECT_EQ(controller->lastProductionRequest().output, output.filePath("My Disc_1.iso"));
    EXPECT_TRUE(QFileInfo(output.filePath("temp/keep")).isDir());
    // Nothing of the runs is left beside what the user keeps.
    EXPECT_EQ(QDir(output.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"My Disc", "My Disc.iso", "My Disc_1", "temp"}));
    EXPECT_EQ(QDir(output.filePath("temp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"keep"}));
}

// A 16:9 page holds 12 title items with the play button counted; one more asks first.
TEST_F(BurnStart, AFullPageAsksBeforeTheSheetOpens)
{
    addTitleWithoutMenus();
    controller->dvd()->setNoMenu(false);
    const auto page = controller->dvd()->menus().first();
    auto title = controller->sourceController()->titleArray().first();
    // Title items copied from a template page that has them, each leading to the title.
    std::shared_ptr<DVDMenuItem> model;
    for (const auto &candidate : DVDLibraryResource::share()->menus())
        if (candidate->aspectType() == 1 && !DVDMenuExtention::titleItems(*candidate).isEmpty()) {
            model = DVDMenuExtention::titleItems(*candidate).first();
            break;
        }
    ASSERT_TRUE(model);
    const auto withTitles = [&](int count) {
        QList<std::shared_ptr<DVDMenuItem>> items;
        for (const auto &item : page->items())
            if (!DVDMenuExtention::titleItems(*page).contains(item))
                items << item;
        for (int i = 0; i < count; ++i) {
            auto item = model->copyItem();
            item->setJump(title);
            items << item;
        }
        page->setItems(items);
    };
    controller->tempDvdData()->setDvdShowPlayButton(true);
    withTitles(11);
    ASSERT_EQ(DVDMenuExtention::titleItems(*page).size(), 11);
    controller->burnButtonAction();
    EXPECT_TRUE(sheet->isVisible());
    sheet->reject();

    withTitles(12);
    QString seen;
    answerNextAlert("Cancel", &seen);
    controller->burnButtonAction();
    EXPECT_TRUE(seen.startsWith("One 16:9 DVD menu page only support max 12 video titles"));
    EXPECT_FALSE(sheet->isVisible());
    answerNextAlert("Continue Burn", &seen);
    controller->burnButtonAction();
    EXPECT_TRUE(sheet->isVisible());
}

} // namespace

// A disc past its type: a folder or an image may still be made after the alert with the gauge's
// sizes; Cancel makes nothing.
TEST_F(BurnStart, ADiscOverItsTypeAsksBeforeAnImageIsMade)
{
    addTitleWithoutMenus();
    const qint64 overDvd5 = 5259LL * 1000 * 1000;
    controller->qualityController()->setAddedBytes(overDvd5);
    ASSERT_GT(controller->totalUsedSpace(), overDvd5);

    openSheet();
    controller->setSelectedOutputFolder(output.path());
    chooseKind(3);
    // An empty name is the default name.
    sheet->dvdNameField()->clear();
    QString seen;
    answerNextAlert("Cancel", &seen, 20000, "overfull-alert");
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    EXPECT_TRUE(seen.contains("MB")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("D5")) << seen.toStdString();
    EXPECT_EQ(log->runs, 0);
    EXPECT_TRUE(sheet->isVisible()) << "a cancelled start leaves the sheet up";
    EXPECT_EQ(QDir(output.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());

    answerNextAlert("Continue", &seen);
    QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
    // The faked conversion stops the run, which says so.
    answerNextAlert("OK");
    ASSERT_TRUE(waitForProductionEnd(*controller));
    EXPECT_EQ(log->runs, 1);
    EXPECT_EQ(controller->lastProductionRequest().output, output.filePath("My Disc.iso"));
}
