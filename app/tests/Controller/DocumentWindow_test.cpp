// The one document through the main window: titles added with the Add Video button land on the
// page, the File menu saves, opens and starts new projects by the reuse rule, closing the window
// asks and quits only once the package is written, and a package named at start opens.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/MainWindowDocumentHost.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "support/ShellTesting.h"
#include "testsupport/MediaFixtures.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

using Answer = DocumentPanelsInterface::SaveChanges;

// The user's answers, scripted.
class Panels : public DocumentPanelsInterface
{
public:
    SaveChanges askSaveChanges() override
    {
        ++asked;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected save-changes question";
            return SaveChanges::Cancel;
        }
        const SaveChanges answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString chooseOpenPath(const QString &) override { return take(openPaths); }
    QString chooseSavePath(const QString &, const QString &) override { return take(savePaths); }
    bool confirmReplace(const QString &) override { return true; }
    void showAlert(const QString &message, const QString &) override { alerts << message; }

    std::deque<SaveChanges> answers;
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    QStringList alerts;
    int asked = 0;

private:
    static QString take(std::deque<QString> &queue)
    {
        if (queue.empty())
            return {};
        QString path = queue.front();
        queue.pop_front();
        return path;
    }
};

class DocumentWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        ASSERT_TRUE(work.isValid());
        controller = std::make_shared<MainWindowController>();
        ControllerFunction::setMainWndController(controller);
        host = std::make_unique<MainWindowDocumentHost>(*controller, panels, [this] {
            ++quits;
            packageAtQuit = QFileInfo(closingPackage + "/project").isFile();
        });
        host->install();
        host->documentController().openUntitledDocumentAndDisplay();
        ASSERT_TRUE(waitIdle());
        controller->window()->show();
    }
    void TearDown() override
    {
        host.reset();
        ControllerFunction::setMainWndController(nullptr);
        controller.reset();
    }

    bool waitIdle()
    {
        return runUntil([&] {
            return !host->isJobRunning() && !controller->sourceController()->isImporting();
        });
    }

    void addTwoClips()
    {
        const QString made = fixtures::MediaFixtures::shared().h264AacMp4(6);
        ASSERT_FALSE(made.isEmpty());
        QStringList paths;
        for (const char *name : {"Beach.mp4", "City Lights.mp4"}) {
            const QString path = work.filePath(QString::fromUtf8(name));
            QFile::copy(made, path);
            paths << path;
        }
        scripted.panel->files << paths;
        QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
        ASSERT_TRUE(waitIdle());
    }

    void command(const char *name)
    {
        QAction *action = controller->menuAction(QString::fromUtf8(name));
        ASSERT_TRUE(action);
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
        drainQueued();
    }

    void drainQueued()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    QList<QPointF> itemPlaces() const
    {
        QList<QPointF> places;
        for (const auto &item : DVDMenuExtention::titleItems(*controller->dvd()->menus().first()))
            places << item->frame().topLeft();
        return places;
    }

    ScopedPanels scripted;
    std::shared_ptr<Panels> panels = std::make_shared<Panels>();
    QTemporaryDir work;
    std::shared_ptr<MainWindowController> controller;
    std::unique_ptr<MainWindowDocumentHost> host;
    int quits = 0;
    QString closingPackage;
    bool packageAtQuit = false;
};

TEST_F(DocumentWindow, AddVideoWithTwoSixSecondClipsPutsTheirItemsSideBySide)
{
    addTwoClips();
    ASSERT_EQ(controller->sourceController()->titleArray().size(), 2);
    EXPECT_EQ(itemPlaces(), (QList<QPointF>{{76, 276}, {336, 276}}));
    const auto titles = controller->dvd()->titles();
    const auto items = DVDMenuExtention::titleItems(*controller->dvd()->menus().first());
    EXPECT_EQ(items[0]->jump(), titles[0]);
    EXPECT_EQ(items[1]->jump(), titles[1]);
    EXPECT_TRUE(controller->isDocumentEdited());
    EXPECT_TRUE(controller->window()->isWindowModified());
    saveGrab(*controller->window(), "document_two_titles");
}

TEST_F(DocumentWindow, SaveNewAndOpenThroughTheFileMenuReuseTheOneDocument)
{
    addTwoClips();
    const QString package = work.filePath("Holiday.dwproj");
    panels->savePaths = {work.filePath("Holiday")};
    command("saveDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(QFileInfo(package + "/project").isFile());
    EXPECT_EQ(controller->packagePath(), package);
    EXPECT_FALSE(controller->isDocumentEdited());
    EXPECT_TRUE(controller->window()->windowTitle().startsWith("Holiday"));
    const auto document = host->documentController().document();

    // Nothing unsaved: New asks nothing.
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(panels->asked, 0);
    EXPECT_TRUE(controller->dvd()->titles().isEmpty());
    EXPECT_TRUE(itemPlaces().isEmpty());
    EXPECT_TRUE(controller->packagePath().isEmpty());

    panels->openPaths = {package};
    command("openDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(host->documentController().document(), document);
    EXPECT_EQ(controller->sourceController()->titleArray().size(), 2);
    EXPECT_EQ(itemPlaces(), (QList<QPointF>{{76, 276}, {336, 276}}));
    EXPECT_EQ(controller->packagePath(), package);
    EXPECT_FALSE(controller->isDocumentEdited());

    // An edit, then New: Cancel keeps it all; Don't Save empties the same document.
    controller->setDocumentEdited(true);
    panels->answers = {Answer::Cancel, Answer::DontSave};
    command("newDocument:");
    EXPECT_EQ(controller->sourceController()->titleArray().size(), 2);
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(controller->sourceController()->titleArray().isEmpty());
    EXPECT_FALSE(controller->isDocumentEdited());
    EXPECT_EQ(host->documentController().document(), document);
}

TEST_F(DocumentWindow, ClosingWithEditsAsksAndQuitsOnlyOnceThePackageIsWritten)
{
    addTwoClips();
    const QString package = work.filePath("Closing.dwproj");
    panels->answers = {Answer::Cancel, Answer::Save};
    panels->savePaths = {package};
    controller->window()->close();
    drainQueued();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(controller->window()->isVisible()) << "Cancel keeps the window";

    closingPackage = package;
    controller->window()->close();
    drainQueued();
    ASSERT_TRUE(runUntil([&] { return quits > 0; }));
    EXPECT_TRUE(packageAtQuit) << "the package is written before the quit";
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(panels->asked, 2);
}

TEST_F(DocumentWindow, APackageNamedAtStartOpensAndNotWhileTheWindowIsBusy)
{
    addTwoClips();
    const QString package = work.filePath("Start.dwproj");
    panels->savePaths = {package};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(controller->dvd()->titles().isEmpty());

    // A sheet is up: refused, nothing opens.
    controller->burnSettingWindow()->show();
    EXPECT_FALSE(host->openPackage(package));
    drainQueued();
    EXPECT_TRUE(controller->dvd()->titles().isEmpty());
    controller->burnSettingWindow()->hide();

    EXPECT_TRUE(host->openPackage(package));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(controller->dvd()->titles().size(), 2);
    EXPECT_EQ(controller->packagePath(), package);

    // At start-up the first document is read from the package instead of being a new project.
    auto fresh = std::make_shared<MainWindowController>();
    MainWindowDocumentHost freshHost(*fresh, panels);
    freshHost.install();
    freshHost.setStartupPackage(package);
    EXPECT_FALSE(freshHost.hasDocument());
    freshHost.openFirstDocument();
    EXPECT_TRUE(freshHost.hasDocument());
    ASSERT_TRUE(runUntil([&] { return !freshHost.isJobRunning(); }));
    EXPECT_EQ(fresh->dvd()->titles().size(), 2);
    EXPECT_EQ(freshHost.documentController().document()->fileURL(), package);
}

} // namespace
