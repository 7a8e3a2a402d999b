// The one document through the main window: titles added with the Add Video button land on the
// page, the File menu saves, opens, reverts and starts new projects by the reuse rule after each
// answer to the save-changes question, Save As asks before replacing a package, the open/save
// sheet takes the commands away while a package is written or read, closing the window asks and
// quits only once the package is written, and a package named at start opens.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/MainWindowDocumentHost.h"
#include "app/Controller/Panels/DocumentPanels.h"
#include "app/Controller/SourceViewController.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MainView/OpenProgressWindow.h"
#include "app/View/SourceView/DVDTitleView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "support/ShellTesting.h"
#include "testsupport/MediaFixtures.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

using Answer = DocumentPanelsInterface::SaveChanges;

// Runs shown each time the watched widget is shown.
class ShowWatcher : public QObject
{
public:
    explicit ShowWatcher(std::function<void()> shown)
        : m_shown(std::move(shown))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            m_shown();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
};

// The user's answers, scripted; with windowAlerts the save-changes and replace questions are the
// window's own message boxes, which the test answers as a person would.
class Panels : public DocumentPanels
{
public:
    using DocumentPanels::DocumentPanels;

    SaveChanges askSaveChanges() override
    {
        ++asked;
        if (windowAlerts)
            return DocumentPanels::askSaveChanges();
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
    bool confirmReplace(const QString &path) override
    {
        replaceAsked << path;
        return windowAlerts ? DocumentPanels::confirmReplace(path) : true;
    }
    void showAlert(const QString &message, const QString &) override { alerts << message; }

    std::deque<SaveChanges> answers;
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    QStringList alerts;
    QStringList replaceAsked;
    int asked = 0;
    bool windowAlerts = false;

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
        panels = std::make_shared<Panels>(controller->window());
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

    void addTwoClips() { addClips({"Beach", "City Lights"}); }

    // Clips of six seconds under the names given, added with the Add Video button.
    void addClips(const QStringList &names)
    {
        const QString made = fixtures::MediaFixtures::shared().h264AacMp4(6);
        ASSERT_FALSE(made.isEmpty());
        QStringList paths;
        for (const QString &name : names) {
            const QString path = work.filePath(name + ".mp4");
            QFile::copy(made, path);
            paths << path;
        }
        scripted.panel->files << paths;
        QTest::mouseClick(controller->addVideoButton(), Qt::LeftButton);
        ASSERT_TRUE(waitIdle());
    }

    // The title list's rows as the user reads them.
    QStringList rows() const
    {
        QStringList names;
        for (const DVDTitleView *row : controller->sourceController()->tableView()->titleRows())
            names << row->nameText();
        return names;
    }

    // Selects the row and removes it with the Edit menu's Delete.
    void deleteRow(int row)
    {
        const auto titles = controller->sourceController()->titleArray();
        ASSERT_LT(row, titles.size());
        controller->sourceController()->selectedSingleTitle(titles[row]);
        command("delete:");
    }

    // The document commands and the buttons that start work, as the user finds them.
    QStringList enabledCommands() const
    {
        QStringList enabled;
        for (const char *name : {"newDocument:",
                                 "openDocument:",
                                 "saveDocument:",
                                 "saveDocumentAs:",
                                 "revertDocumentToSaved:",
                                 "addVideoAction:"})
            if (controller->menuAction(QString::fromUtf8(name))->isEnabled())
                enabled << QString::fromUtf8(name);
        if (controller->addVideoButton()->isEnabled())
            enabled << "Add Video";
        if (controller->burnButton()->isEnabled())
            enabled << "Burn";
        return enabled;
    }

    // The window with the sheet drawn where it hangs, as a person sees the two.
    void saveWindowWithSheet(QWidget &sheet, const QString &name)
    {
        QPixmap shot = controller->window()->grab();
        QPainter painter(&shot);
        const QPoint at = sheet.geometry().topLeft() - controller->window()->geometry().topLeft();
        painter.drawPixmap(at, sheet.grab());
        painter.end();
        const QString folder = QStringLiteral(DW_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        shot.save(folder + "/" + name + ".png");
    }

    static QByteArray projectBytes(const QString &package)
    {
        QFile file(package + "/project");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    std::shared_ptr<Panels> panels;
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

// Each command that replaces the project, after each answer to the save-changes question on an
// edited project: what the window shows after, whether the package was written and the mark.
TEST_F(DocumentWindow, NewOpenRevertAndAPackageHandedToTheProgramReuseTheDocumentAfterEachAnswer)
{
    // The package the project was last saved to holds Beach and City Lights; another holds
    // Harbour.
    addClips({"Harbour"});
    const QString other = work.filePath("Harbour.dwproj");
    panels->savePaths = {other};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    addTwoClips();
    const QString pristine = work.filePath("Holiday.dwproj");
    panels->savePaths = {pristine};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(panels->asked, 0);
    const DiscwrightDocument *document = host->documentController().document();

    enum class Command { New, Open, Revert, Argument };
    struct Row
    {
        const char *name;
        Command command;
        Answer answer;
        QStringList shown;
        bool written;
        bool edited;
        // The package the document belongs to after: "own" (the one edited), "other" or none.
        const char *package;
    };
    const QStringList edited = {"City Lights"};
    const QStringList harbour = {"Harbour"};
    const std::vector<Row> table = {
        {"New, Save", Command::New, Answer::Save, {}, true, false, ""},
        {"New, Don't Save", Command::New, Answer::DontSave, {}, false, false, ""},
        {"New, Cancel", Command::New, Answer::Cancel, edited, false, true, "own"},
        {"Open, Save", Command::Open, Answer::Save, harbour, true, false, "other"},
        {"Open, Don't Save", Command::Open, Answer::DontSave, harbour, false, false, "other"},
        {"Open, Cancel", Command::Open, Answer::Cancel, edited, false, true, "own"},
        {"Revert, Save", Command::Revert, Answer::Save, edited, true, false, "own"},
        {"Revert, Don't Save",
         Command::Revert,
         Answer::DontSave,
         {"Beach", "City Lights"},
         false,
         false,
         "own"},
        {"Revert, Cancel", Command::Revert, Answer::Cancel, edited, false, true, "own"},
        {"argument, Save", Command::Argument, Answer::Save, harbour, true, false, "other"},
        {"argument, Don't Save",
         Command::Argument,
         Answer::DontSave,
         harbour,
         false,
         false,
         "other"},
        {"argument, Cancel", Command::Argument, Answer::Cancel, edited, false, true, "own"},
    };
    int rowNumber = 0;
    for (const Row &row : table) {
        SCOPED_TRACE(row.name);
        // Each row edits a package of its own, saved from the pristine one: City Lights is left.
        controller->setDocumentEdited(false);
        panels->openPaths = {pristine};
        command("openDocument:");
        ASSERT_TRUE(waitIdle());
        ASSERT_EQ(rows(), (QStringList{"Beach", "City Lights"}));
        const QString own = work.filePath(QString("Row%1.dwproj").arg(++rowNumber));
        panels->savePaths = {own};
        command("saveDocumentAs:");
        ASSERT_TRUE(waitIdle());
        deleteRow(0);
        ASSERT_EQ(rows(), edited);
        ASSERT_TRUE(controller->window()->isWindowModified());
        const QByteArray before = projectBytes(own);
        ASSERT_FALSE(before.isEmpty());
        const int askedBefore = panels->asked;

        panels->answers = {row.answer};
        switch (row.command) {
        case Command::New:
            command("newDocument:");
            break;
        case Command::Open:
            panels->openPaths = {other};
            command("openDocument:");
            break;
        case Command::Revert:
            command("revertDocumentToSaved:");
            break;
        case Command::Argument:
            EXPECT_TRUE(host->openPackage(other));
            drainQueued();
            break;
        }
        ASSERT_TRUE(waitIdle());
        drainQueued();

        EXPECT_EQ(panels->asked, askedBefore + 1);
        EXPECT_TRUE(panels->answers.empty());
        EXPECT_EQ(rows(), row.shown);
        EXPECT_EQ(controller->dvd()->titles().size(), row.shown.size());
        EXPECT_EQ(projectBytes(own) != before, row.written);
        EXPECT_EQ(controller->window()->isWindowModified(), row.edited);
        EXPECT_EQ(controller->isDocumentEdited(), row.edited);
        const QString package = QString::fromUtf8(row.package) == "own"     ? own
                                : QString::fromUtf8(row.package) == "other" ? other
                                                                            : QString();
        EXPECT_EQ(controller->packagePath(), package);
        EXPECT_EQ(host->documentController().document()->fileURL(), package);
        EXPECT_EQ(host->documentController().document(), document) << "one document";
        EXPECT_FALSE(host->documentController().documentSaveChain());
        EXPECT_TRUE(panels->alerts.isEmpty()) << panels->alerts.join(", ").toStdString();
        if (row.answer == Answer::Cancel && row.command == Command::Open) {
            EXPECT_EQ(panels->openPaths.size(), 1u) << "no open panel after Cancel";
        }
        if (row.command == Command::Open && row.answer == Answer::DontSave)
            saveGrab(*controller->window(), "document_after_open");
        if (row.command == Command::Revert && row.answer == Answer::DontSave)
            saveGrab(*controller->window(), "document_after_revert");
        panels->openPaths.clear();
    }
}

TEST_F(DocumentWindow, TheFirstTitleOfAnUntitledProjectMarksItEditedAndRemovingItClears)
{
    // A saved project is no longer untitled: removing its last title is an edit to keep.
    addClips({"Beach"});
    panels->savePaths = {work.filePath("One.dwproj")};
    command("saveDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_FALSE(controller->window()->isWindowModified());
    deleteRow(0);
    EXPECT_TRUE(controller->window()->isWindowModified());
    panels->answers = {Answer::DontSave};
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(panels->asked, 1);

    addClips({"Beach"});
    EXPECT_TRUE(controller->window()->isWindowModified());
    EXPECT_TRUE(host->documentController().document()->isDocumentEdited());
    deleteRow(0);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_FALSE(controller->window()->isWindowModified());
    EXPECT_FALSE(host->documentController().document()->isDocumentEdited());
    // Nothing to lose: closing asks nothing.
    controller->window()->close();
    drainQueued();
    ASSERT_TRUE(runUntil([&] { return quits > 0; }));
    EXPECT_EQ(panels->asked, 1);
}

TEST_F(DocumentWindow, SaveAsOntoAnExistingPackageAsksToReplaceIt)
{
    addClips({"Harbour"});
    const QString existing = work.filePath("Harbour.dwproj");
    panels->savePaths = {existing};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(panels->replaceAsked.isEmpty()) << "a new package asks nothing";
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    addTwoClips();
    const QString mine = work.filePath("Holiday.dwproj");
    panels->savePaths = {mine};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    const QByteArray harbour = projectBytes(existing);
    panels->windowAlerts = true;

    // Cancel: nothing is written, the document stays with its own package.
    QString seen;
    answerNextAlert("Cancel", &seen, 20000, "replace_alert");
    panels->savePaths = {work.filePath("Harbour")};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(panels->replaceAsked, QStringList{existing});
    EXPECT_EQ(seen, "\"Harbour.dwproj\" already exists. Do you want to replace it?\n");
    EXPECT_EQ(projectBytes(existing), harbour);
    EXPECT_EQ(controller->packagePath(), mine);

    // Replace: the package holds this project now, and the document belongs to it.
    answerNextAlert("Replace");
    panels->savePaths = {existing};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(panels->replaceAsked.size(), 2);
    EXPECT_NE(projectBytes(existing), harbour);
    EXPECT_EQ(controller->packagePath(), existing);
    EXPECT_TRUE(controller->window()->windowTitle().startsWith("Harbour"));
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    panels->openPaths = {existing};
    command("openDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(rows(), (QStringList{"Beach", "City Lights"}));

    // Saving onto its own package asks nothing.
    controller->setDocumentEdited(true);
    panels->savePaths = {existing};
    command("saveDocumentAs:");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(panels->replaceAsked.size(), 2);
}

TEST_F(DocumentWindow, TheSaveQuestionIsTheWindowsOwnAlert)
{
    addTwoClips();
    panels->windowAlerts = true;
    QString seen;
    answerNextAlert("Cancel", &seen, 20000, "save_alert");
    command("newDocument:");
    EXPECT_EQ(seen, "Do you want to save the changes you made in the Document?\n");
    EXPECT_EQ(rows(), (QStringList{"Beach", "City Lights"}));
    answerNextAlert("Don't Save");
    command("newDocument:");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_FALSE(controller->window()->isWindowModified());
}

TEST_F(DocumentWindow, TheOpenSaveSheetNamesThePackageAndTakesTheCommandsAwayUntilTheJobIsOver)
{
    addTwoClips();
    const QStringList idle = enabledCommands();
    ASSERT_TRUE(idle.contains("saveDocument:") && idle.contains("Burn"));
    EXPECT_FALSE(idle.contains("revertDocumentToSaved:")) << "nothing to revert to yet";
    const QString package = work.filePath("Holiday.dwproj");
    panels->savePaths = {package};

    // The job ends on the main thread, so the sheet stays up until the loop runs again.
    controller->menuAction("saveDocument:")->trigger();
    OpenProgressWindow *sheet = host->openProgressWindow();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->parentWidget(), controller->window());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->messageLabel()->text(), "Saving \"Holiday\" ...");
    EXPECT_TRUE(sheet->isIndicatorRunning());
    EXPECT_TRUE(enabledCommands().isEmpty()) << enabledCommands().join(", ").toStdString();
    EXPECT_FALSE(host->openPackage(package)) << "a package handed to the program waits";
    saveGrab(*sheet, "open_save_sheet_saving");
    saveWindowWithSheet(*sheet, "open_save_sheet_saving_window");
    // Neither Escape nor the close box takes it down.
    QTest::keyClick(sheet, Qt::Key_Escape);
    sheet->close();
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_TRUE(waitIdle());
    drainQueued();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(sheet->isIndicatorRunning());
    EXPECT_TRUE(QFileInfo(package + "/project").isFile());
    // The commands are back, and Revert now has a package to go back to.
    QStringList after = enabledCommands();
    EXPECT_TRUE(after.removeOne("revertDocumentToSaved:"));
    EXPECT_EQ(after, idle);

    // A new project is made without the sheet.
    command("newDocument:");
    EXPECT_FALSE(sheet->isVisible());
    ASSERT_TRUE(waitIdle());

    // The open panel comes after the save question's turn, so the sheet is watched for.
    QStringList shown;
    ShowWatcher watcher([&] {
        shown << sheet->messageLabel()->text();
        saveGrab(*sheet, "open_save_sheet_opening");
        saveWindowWithSheet(*sheet, "open_save_sheet_opening_window");
    });
    sheet->installEventFilter(&watcher);
    panels->openPaths = {package};
    command("openDocument:");
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(runUntil([&] { return rows().size() == 2; }));
    drainQueued();
    sheet->removeEventFilter(&watcher);
    EXPECT_EQ(shown, QStringList{"Opening \"Holiday\" ..."});
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(rows(), (QStringList{"Beach", "City Lights"}));
}

// Every sheet and modal window of the main window takes the document commands and the buttons
// away while it is up, and gives them back when it goes.
TEST_F(DocumentWindow, CommandsAreOffUnderEverySheet)
{
    addTwoClips();
    panels->savePaths = {work.filePath("Holiday.dwproj")};
    command("saveDocument:");
    ASSERT_TRUE(waitIdle());
    const QStringList idle = enabledCommands();
    ASSERT_EQ(idle.size(), 8) << idle.join(", ").toStdString();

    struct Row
    {
        const char *name;
        std::function<void()> open;
        std::function<QWidget *()> sheet;
        std::function<void()> close;
    };
    const std::vector<Row> table = {
        {"the burn settings",
         [&] { QTest::mouseClick(controller->burnButton(), Qt::LeftButton); },
         [&] { return controller->burnSettingWindow(); },
         [&] {
             QTest::mouseClick(controller->burnSettingWindow()->cancelButton(), Qt::LeftButton);
         }},
        {"the custom quality",
         [&] { controller->chooseCustomQualityAction(); },
         [&] { return controller->customQualityWnd(); },
         [&] { controller->finishCustomQualityWindow(); }},
        {"the progress window",
         [&] { controller->progressWindow()->openProgressWindow(); },
         [&] { return controller->progressWindow()->window(); },
         [&] {
             controller->progressWindow()->closeProgressWindow();
             controller->validateMenuItems();
         }},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.name);
        row.open();
        drainQueued();
        ASSERT_TRUE(row.sheet()->isVisible());
        controller->validateMenuItems();
        EXPECT_TRUE(enabledCommands().isEmpty()) << enabledCommands().join(", ").toStdString();
        EXPECT_FALSE(host->documentController().validateUserInterfaceItem(
            DiscwrightDocumentController::Command::New));
        EXPECT_FALSE(host->openPackage(work.filePath("Holiday.dwproj")));
        row.close();
        drainQueued();
        EXPECT_FALSE(row.sheet()->isVisible());
        EXPECT_EQ(enabledCommands(), idle);
    }

    // While the save question is up, nothing else starts.
    controller->setDocumentEdited(true);
    panels->windowAlerts = true;
    QStringList underQuestion;
    bool packageRefused = false;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        QMessageBox *box = visibleAlert();
        if (!box)
            return;
        probe.stop();
        underQuestion = enabledCommands();
        controller->validateMenuItems();
        underQuestion += enabledCommands();
        packageRefused = !host->openPackage(work.filePath("Holiday.dwproj"));
        for (QAbstractButton *button : box->buttons())
            if (button->text() == "Cancel")
                button->click();
    });
    probe.start();
    command("newDocument:");
    EXPECT_TRUE(underQuestion.isEmpty()) << underQuestion.join(", ").toStdString();
    EXPECT_TRUE(packageRefused);
    EXPECT_EQ(rows(), (QStringList{"Beach", "City Lights"}));
}

} // namespace
