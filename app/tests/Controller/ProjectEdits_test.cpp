// Edits through the project, in the real main window: each emits the one signal of its kind, and
// the title list, the page still, the capacity gauge and its label follow that signal alone,
// without any refresh of the whole window.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/CustomCapacityView.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"
#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "app/production/DiscSizeEstimate.h"
#include "support/ShellTesting.h"
#include "testsupport/MediaFixtures.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace shell_testing;
using Discwright::DiscSizeEstimate::DiscType;

namespace {

// Every signal of the project, by name, in the order they came.
class SignalLog
{
public:
    explicit SignalLog(EditingProject &project)
    {
        const auto log = [this](const char *name) { return [this, name] { names << name; }; };
        m_context = std::make_unique<QObject>();
        QObject::connect(
            &project, &EditingProject::titlesInserted, m_context.get(), log("titlesInserted"));
        QObject::connect(
            &project, &EditingProject::titlesRemoved, m_context.get(), log("titlesRemoved"));
        QObject::connect(&project, &EditingProject::titleMoved, m_context.get(), log("titleMoved"));
        QObject::connect(
            &project, &EditingProject::titleChanged, m_context.get(), log("titleChanged"));
        QObject::connect(
            &project, &EditingProject::pageItemsChanged, m_context.get(), log("pageItemsChanged"));
        QObject::connect(&project,
                         &EditingProject::styleRecordChanged,
                         m_context.get(),
                         log("styleRecordChanged"));
        QObject::connect(&project, &EditingProject::pageAdded, m_context.get(), log("pageAdded"));
        QObject::connect(
            &project, &EditingProject::pageRemoved, m_context.get(), log("pageRemoved"));
        QObject::connect(
            &project, &EditingProject::settingsChanged, m_context.get(), log("settingsChanged"));
        QObject::connect(
            &project, &EditingProject::projectReplaced, m_context.get(), log("projectReplaced"));
        QObject::connect(
            &project, &EditingProject::editedChanged, m_context.get(), log("editedChanged"));
    }
    // The change signals, without the edited mark's turns.
    QStringList changes() const
    {
        QStringList out = names;
        out.removeAll(QStringLiteral("editedChanged"));
        return out;
    }
    QStringList names;

private:
    // The connections end with the log.
    std::unique_ptr<QObject> m_context;
};

class ProjectEdits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
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

    QStringList rows() const
    {
        QStringList names;
        for (const DVDTitleView *row : controller->sourceController()->tableView()->titleRows())
            names << row->nameText();
        return names;
    }
    DVDMenuRef page() const { return controller->dvd()->menus().first(); }

    ScopedPanels panels;
    QTemporaryDir clips;
    std::shared_ptr<MainWindowController> controller;
};

TEST_F(ProjectEdits, EachEditEmitsItsOneSignalAndTheViewsFollowWithoutAWholeRefresh)
{
    EditingProject &project = *controller->project();
    const QString made = fixtures::MediaFixtures::shared().h264AacMp4(6);
    ASSERT_FALSE(made.isEmpty()) << fixtures::MediaFixtures::shared().lastError().toStdString();
    QStringList paths;
    for (const char *name : {"Beach.mp4", "City Lights.mp4"}) {
        paths << clips.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(QFile::copy(made, paths.last()));
    }
    const double clipSeconds = 6.0;

    struct Row
    {
        const char *name;
        std::function<void()> edit;
        const char *signal;
        QStringList list;
        bool pageRedrawn;
        // The titles counted on the disc, in clip seconds, and the pages.
        double titleSeconds;
        int pages;
        qint64 bitrateKbps;
        DiscType type;
    };
    const auto itemOf = [&](qsizetype title) { return project.titles()[title]->usedMenuItem(); };
    const Row table[] = {
        {"import two titles",
         [&] {
             ASSERT_TRUE(controller->sourceController()->importFiles(paths));
             ASSERT_TRUE(runUntil([&] { return !controller->sourceController()->isImporting(); }));
         },
         "titlesInserted",
         {"Beach", "City Lights"},
         true,
         2 * clipSeconds,
         1,
         4000,
         DiscType::SingleLayer},
        {"move one",
         [&] { project.moveTitle(0, 1); },
         "titleMoved",
         {"City Lights", "Beach"},
         true,
         2 * clipSeconds,
         1,
         4000,
         DiscType::SingleLayer},
        {"rename a clip's title",
         [&] { project.renameTitle(1, QStringLiteral("Harbour")); },
         "titleChanged",
         {"City Lights", "Harbour"},
         true,
         2 * clipSeconds,
         1,
         4000,
         DiscType::SingleLayer},
        {"move an item's frame",
         [&] {
             const auto item = itemOf(0);
             ASSERT_TRUE(item);
             project.setItemFrame(page(), item, item->frame().translated(20, -10));
         },
         "pageItemsChanged",
         {"City Lights", "Harbour"},
         true,
         2 * clipSeconds,
         1,
         4000,
         DiscType::SingleLayer},
        {"remove one",
         [&] { project.removeTitles(0); },
         "titlesRemoved",
         {"Harbour"},
         true,
         clipSeconds,
         1,
         4000,
         DiscType::SingleLayer},
        {"add a page",
         [&] { ASSERT_TRUE(project.addBlankPage()); },
         "pageAdded",
         {"Harbour"},
         false,
         clipSeconds,
         2,
         4000,
         DiscType::SingleLayer},
        {"change quality",
         [&] { controller->qualityMenu()->actions()[0]->trigger(); },
         "settingsChanged",
         {"Harbour"},
         false,
         clipSeconds,
         2,
         7000,
         DiscType::SingleLayer},
        {"change disc type",
         [&] {
             controller->dvdModelPopButton()->setCurrentIndex(1);
             controller->dvdModelChangedAction();
         },
         "settingsChanged",
         {"Harbour"},
         false,
         clipSeconds,
         2,
         7000,
         DiscType::DualLayer},
    };

    for (const Row &row : table) {
        SCOPED_TRACE(row.name);
        SignalLog log(project);
        const int refreshes = controller->globalRefreshCount();
        const int stills = controller->canvasBgView()->redrawCount();
        row.edit();

        EXPECT_EQ(log.changes().join(","), QString::fromUtf8(row.signal));
        EXPECT_EQ(controller->globalRefreshCount(), refreshes);
        EXPECT_EQ(rows(), row.list);
        EXPECT_EQ(controller->canvasBgView()->redrawCount() > stills, row.pageRedrawn);
        EXPECT_EQ(controller->dvd()->menus().size(), row.pages);
        EXPECT_EQ(controller->dvd()->dvdBitrate(), row.bitrateKbps);

        // The canvas shows the page as it is now.
        EXPECT_EQ(controller->canvasBgView()->host()->canvasPage(), page());

        // The gauge and its label: the titles on the page and every page's own time.
        double pageSeconds = 0;
        for (const auto &menu : controller->dvd()->menus())
            pageSeconds += menu->duration();
        const double expected = double(Discwright::DiscSizeEstimate::estimatedBytes(
            pageSeconds + row.titleSeconds, row.bitrateKbps));
        EXPECT_NEAR(double(controller->totalUsedSpace()), expected, expected * 0.01);
        EXPECT_EQ(
            controller->capacityLabel()->text(),
            Discwright::DiscSizeEstimate::capacityLabel(controller->totalUsedSpace(), row.type));
        EXPECT_FLOAT_EQ(
            controller->capacityView()->capacityValue(),
            Discwright::DiscSizeEstimate::capacityFraction(controller->totalUsedSpace(), row.type));
        EXPECT_TRUE(controller->burnButton()->isEnabled());
    }
    // The two titles listed before the edits went on.
    saveGrab(*controller->window(), "main-window-after-project-edits");
}

// The edited mark turns once, on the first kept change, and the window shows it; the disc type is
// no part of the package and marks nothing; the last title of an untitled project going clears it.
TEST_F(ProjectEdits, TheEditedMarkFollowsTheEditsThatThePackageKeeps)
{
    EditingProject &project = *controller->project();
    SignalLog log(project);
    project.setDiscType(DiscType::DualLayer);
    EXPECT_FALSE(project.isEdited());
    project.setDvdBitrate(5000);
    // An untitled project without titles is never edited.
    EXPECT_FALSE(project.isEdited());
    project.setPackagePath(clips.filePath("one.dwproj"));
    project.setDvdBitrate(6000);
    EXPECT_TRUE(project.isEdited());
    EXPECT_TRUE(controller->window()->isWindowModified());
    project.setDvdBitrate(6500);
    EXPECT_EQ(log.names.count("editedChanged"), 1);
    EXPECT_TRUE(controller->window()->windowTitle().startsWith("one - "));
    project.setEdited(false);
    EXPECT_FALSE(controller->window()->isWindowModified());
}

// The old whole-window refresh is a forward to the project, which rebuilds the pages and names
// each; the views follow those signals.
TEST_F(ProjectEdits, TheOldRefreshForwardsToTheProject)
{
    EditingProject &project = *controller->project();
    SignalLog log(project);
    const int refreshes = project.wholeRefreshCount();
    ControllerFunction::updateDvdMenu();
    EXPECT_EQ(project.wholeRefreshCount(), refreshes + 1);
    EXPECT_EQ(log.changes().join(","), "pageItemsChanged");
}

} // namespace
