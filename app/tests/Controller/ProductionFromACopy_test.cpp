// Burn copies the project: while the run goes on beside the window, the person renames a title,
// moves a button, changes the highlight colour and removes a title, and the disc made is the
// project as it was when Burn was pressed.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "app/production/MakeDVDVideoConversion.h"
#include "app/production/ProductionDiscModel.h"
#include "app/production/ProductionInput.h"
#include "support/ShellTesting.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/MediaFixtures.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using namespace shell_testing;

namespace {

// What production makes of its disc that the finished folder does not keep: the dvdauthor text,
// each page's spumux buttons and highlight layer.
struct DiscPlan
{
    QString author;
    QStringList spumux;
    QList<QImage> highlights;
    // The border colour the layers are drawn with.
    QColor border;
};

DiscPlan planOf(const DVDLibraryRef &disc)
{
    DiscPlan plan;
    plan.author = disc->authorContent();
    if (const auto settings = ProductionInput::settingsOfDisc(*disc))
        plan.border = settings->dvdBorderColor();
    for (const DVDMenuRef &page : disc->menus()) {
        plan.spumux << DVDMenuMake::xmlConfigForMenuDvd(*page, *disc);
        plan.highlights << DVDMenuImageGenerator(page, disc)
                               .generatorImageForName(QStringLiteral("menu_highlight"));
    }
    return plan;
}

// The application's conversion, held back until the test has made its edits, and the plan of the
// disc it was given, read once it is done (on the production thread, as production reads it).
class GatedConversion : public MakeDVDVideoConversion
{
public:
    void makeDVDVideo(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath) override
    {
        {
            std::unique_lock lock(m_lock);
            m_started = true;
            m_changed.notify_all();
            m_changed.wait_for(lock, std::chrono::seconds(60), [this] { return m_open; });
        }
        MakeDVDVideoConversion::makeDVDVideo(dvd, workPath);
        const DiscPlan plan = planOf(dvd);
        std::lock_guard guard(m_lock);
        m_plan = plan;
    }
    bool started()
    {
        std::lock_guard guard(m_lock);
        return m_started;
    }
    void open()
    {
        std::lock_guard guard(m_lock);
        m_open = true;
        m_changed.notify_all();
    }
    DiscPlan plan()
    {
        std::lock_guard guard(m_lock);
        return m_plan;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_started = false;
    bool m_open = false;
    DiscPlan m_plan;
};

class ProductionFromACopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        controller->newDocumentProject();
        controller->window()->show();
        // Non-modal, so that the window can be edited while the run goes on.
        controller->progressWindow()->window()->setWindowModality(Qt::NonModal);
        controller->convertProgressWindowController()->setConversionFactory([this] {
            conversion = std::make_shared<GatedConversion>();
            return conversion;
        });
    }
    void TearDown() override
    {
        if (conversion)
            conversion->open();
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    void addTwoClips()
    {
        // Five seconds: the shortest clip an import takes.
        const QString made = fixtures::MediaFixtures::shared().h264AacMp4(5);
        ASSERT_FALSE(made.isEmpty());
        QStringList paths;
        for (const char *name : {"Beach.mp4", "City.mp4"}) {
            paths << clips.filePath(QString::fromUtf8(name));
            QFile::copy(made, paths.last());
        }
        panels.panel->files << paths;
        QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
        ASSERT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
        ASSERT_EQ(controller->dvd()->titles().size(), 2);
    }

    void startFolderRun(const QString &name)
    {
        QTest::mouseClick(controller->burnButton(), Qt::LeftButton);
        BurnSettingWindow *sheet = controller->burnSettingWindow();
        ASSERT_TRUE(sheet->isVisible());
        sheet->burnType()->button(1)->click();
        sheet->tvStandardType()->button(1)->click();
        sheet->dvdNameField()->setText(name);
        panels.panel->directories << output.path();
        QTest::mouseClick(sheet->chooseFolderButton(), Qt::LeftButton);
        QTest::mouseClick(sheet->startButton(), Qt::LeftButton);
        ASSERT_TRUE(controller->convertProgressWindowController()->isRunning());
    }

    QApplication &app = application();
    ScopedPanels panels;
    QTemporaryDir clips;
    QTemporaryDir output;
    std::shared_ptr<MainWindowController> controller;
    std::shared_ptr<GatedConversion> conversion;
};

} // namespace

TEST_F(ProductionFromACopy, EditsDuringARunLeaveTheDiscAsItWasAtBurn)
{
    addTwoClips();
    controller->tempDvdData()->setDvdBorderColor(QColor(20, 200, 40));
    // The disc as Burn makes it of the project now.
    const DiscPlan atBurn = planOf(Discwright::ProductionDiscModel::getDVDObj(*controller));
    ASSERT_EQ(atBurn.spumux.size(), 1);

    startFolderRun(QStringLiteral("Copy"));
    ASSERT_TRUE(runUntil([&] { return conversion && conversion->started(); }));
    // The window answers while the run goes on.
    EXPECT_TRUE(controller->window()->isVisible());

    const DVDMenuRef page = controller->dvd()->menus().first();
    const auto titleItems = DVDMenuExtention::titleItems(*page);
    ASSERT_EQ(titleItems.size(), 2);
    const DVDTitleDataRef first = controller->sourceController()->titleArray().first();
    first->setName(QStringLiteral("Renamed while burning"));
    titleItems[0]->setFrame(titleItems[0]->frame().translated(120, -60));
    controller->tempDvdData()->setDvdBorderColor(QColor(230, 10, 10));
    controller->sourceController()->selectedSingleTitle(
        controller->sourceController()->titleArray()[1]);
    controller->sourceController()->deleteAction();
    ControllerFunction::updateDvdMenu();
    ASSERT_EQ(controller->dvd()->titles().size(), 1) << "the project did change";
    conversion->open();

    ASSERT_TRUE(waitForProductionEnd(*controller));
    const auto request = controller->lastProductionRequest();
    ASSERT_EQ(request.result.state, ProductionResult::State::Done)
        << request.result.reason.toStdString();

    const testing_support::DiscInfo disc = testing_support::readDisc(output.filePath("Copy"));
    ASSERT_TRUE(disc.ok) << disc.error.toStdString();
    ASSERT_EQ(disc.titles.size(), 2) << "the removed title is on the disc";
    for (const auto &title : disc.titles)
        EXPECT_NEAR(title.lengthSeconds, 5.0, 0.5);

    const DiscPlan made = conversion->plan();
    EXPECT_EQ(made.author, atBurn.author);
    EXPECT_EQ(made.border, QColor(20, 200, 40)) << "the highlight colour of Burn";
    EXPECT_EQ(made.spumux, atBurn.spumux) << "the button sits where it was at Burn";
    ASSERT_EQ(made.highlights.size(), atBurn.highlights.size());
    for (qsizetype i = 0; i < made.highlights.size(); ++i) {
        ASSERT_FALSE(made.highlights[i].isNull());
        EXPECT_EQ(made.highlights[i], atBurn.highlights[i]) << "the highlight colour of Burn";
    }
    // The project keeps the edits made meanwhile.
    EXPECT_EQ(controller->dvd()->titles().size(), 1);
    EXPECT_EQ(controller->tempDvdData()->dvdBorderColor(), QColor(230, 10, 10));
}
