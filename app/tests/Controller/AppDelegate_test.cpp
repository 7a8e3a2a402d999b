// The start of the process: the one-instance lock, the temporary root emptied at launch, the
// application menu, the first project and the Help menu; and the real program started twice.

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Document/NewProjectBuilder.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/AppExtention/Function/ApplicationInstanceLock.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/Controller/AppDelegate.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/MainWindowDocumentHost.h"
#include "app/Controller/Panels/Workspace.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MainView/OpenProgressWindow.h"
#include "support/ShellTesting.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

// Runs seen on each event of the type on the watched object.
class EventWatcher : public QObject
{
public:
    EventWatcher(QEvent::Type type, std::function<void()> seen)
        : m_type(type)
        , m_seen(std::move(seen))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type)
            m_seen();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

void plant(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("left over");
}

TEST(ApplicationInstanceLock, OneHolderAtATimeAndADeadHoldersLockIsTakenOver)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("instance.lock");
    {
        ApplicationInstanceLock first(path);
        ASSERT_TRUE(first.tryLock());
        ApplicationInstanceLock second(path);
        EXPECT_FALSE(second.tryLock());
        EXPECT_EQ(second.holderProcessId(), QCoreApplication::applicationPid());
    }
    // A holder that is gone (its process id names no process) leaves a stale lock.
    {
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("999999999\nDiscwright\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    ApplicationInstanceLock next(path);
    EXPECT_TRUE(next.tryLock());
}

class Delegate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        delegate = std::make_unique<AppDelegate>();
        delegate->setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
    void TearDown() override { delegate.reset(); }

    ScopedPanels panels;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(Delegate, LaunchEmptiesTheTemporaryRootAndMakesTheOneMainWindow)
{
    const QString planted = FileManagerExtention::tempRootPath() + "/burn-dvd-progress/old.dir";
    plant(planted);
    ASSERT_TRUE(QFile::exists(planted));
    ASSERT_TRUE(delegate->applicationWillFinishLaunching());
    EXPECT_FALSE(QFile::exists(planted));
    ASSERT_TRUE(delegate->mainWndController());
    EXPECT_EQ(ControllerFunction::mainWndController(), delegate->mainWndController());
    EXPECT_EQ(AppDelegate::share(), delegate.get());
    EXPECT_EQ(ControllerFunction::appDelegate(), delegate.get());
    // The registry reaches the window's own sub-controllers.
    EXPECT_EQ(ControllerFunction::sourceController(),
              delegate->mainWndController()->sourceController());
    EXPECT_EQ(ControllerFunction::menuEditController(),
              delegate->mainWndController()->menuEditController());
    EXPECT_NE(ControllerFunction::menuEditController(), nullptr);

    delegate->applicationDidFinishLaunching();
    const auto main = delegate->mainWndController();
    EXPECT_TRUE(main->window()->isVisible());
    EXPECT_EQ(main->dvd()->dvdBitrate(), 4000);
    EXPECT_EQ(main->dvd()->menus().size(), 1);

    // The application menu names the program; the other menus are as built.
    QMenu *application = main->window()->menuBar()->actions().first()->menu();
    QStringList items;
    for (QAction *item : application->actions())
        if (!item->isSeparator())
            items << item->text();
    EXPECT_EQ(items, QStringList({"About Discwright", "Quit Discwright"}));
    // Support and the help video have no address in this build, so no item.
    QMenu *help = main->window()->menuBar()->actions().last()->menu();
    QStringList helpItems;
    for (QAction *item : help->actions())
        helpItems << item->text();
    EXPECT_EQ(helpItems, QStringList({"Discwright Help"}));
}

TEST_F(Delegate, TheRegistryAnswersTheDelegateOnlyWhileItLives)
{
    EXPECT_EQ(ControllerFunction::appDelegate(), delegate.get());
    // Before launch there is no main window and nothing below it.
    EXPECT_EQ(ControllerFunction::mainWndController(), nullptr);
    EXPECT_EQ(ControllerFunction::sourceController(), nullptr);
    EXPECT_EQ(ControllerFunction::menuEditController(), nullptr);
    delegate.reset();
    EXPECT_EQ(ControllerFunction::appDelegate(), nullptr);
}

TEST_F(Delegate, ASecondLaunchInTheSameProcessIsRefusedAndTouchesNothing)
{
    ASSERT_TRUE(delegate->applicationWillFinishLaunching());
    const QString planted = FileManagerExtention::tempRootPath() + "/in-use/work.dvd";
    plant(planted);
    AppDelegate second;
    EXPECT_FALSE(second.applicationWillFinishLaunching());
    EXPECT_TRUE(QFile::exists(planted));
    EXPECT_FALSE(second.mainWndController());
}

TEST_F(Delegate, TheFirstDocumentIsMadeOnlyWhenNoneIsOpen)
{
    ASSERT_TRUE(delegate->applicationWillFinishLaunching());
    int made = 0;
    bool open = true;
    delegate->setDocumentHooks([&] { return open; }, [&] { ++made; });
    delegate->startApp();
    EXPECT_EQ(made, 0);
    open = false;
    delegate->startApp();
    EXPECT_EQ(made, 1);
}

TEST_F(Delegate, HelpOpensTheInstalledDocumentAndCopiesNothing)
{
    ASSERT_TRUE(delegate->applicationWillFinishLaunching());
    delegate->applicationDidFinishLaunching();
    const QString shared = QDir::tempPath() + "/Discwright Help.pdf";
    QFile::remove(shared);
    delegate->mainWndController()->menuAction("discwrightHelp:")->trigger();
    delegate->mainWndController()->menuAction("discwrightHelp:")->trigger();
    const QString installed = QStringLiteral(DW_BINARY_DIR "/resources/Discwright Help.pdf");
    EXPECT_EQ(panels.workspace->openedFiles, QStringList({installed, installed}));
    EXPECT_FALSE(QFile::exists(shared));
}

TEST_F(Delegate, HelpThatCannotBeOpenedSaysSoAndNamesTheInstalledFile)
{
    ASSERT_TRUE(delegate->applicationWillFinishLaunching());
    delegate->applicationDidFinishLaunching();
    const QString installed = QStringLiteral(DW_BINARY_DIR "/resources/Discwright Help.pdf");
    struct Row
    {
        const char *name;
        bool desktop;
    };
    const Row rows[] = {{"the viewer refuses the file", false}, {"no launcher on PATH", true}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray path = qgetenv("PATH");
        if (row.desktop) {
            Workspace::install(nullptr);
            qputenv("PATH", "/nonexistent");
        } else {
            panels.workspace->opens = false;
        }
        delegate->mainWndController()->menuAction("discwrightHelp:")->trigger();
        qputenv("PATH", path);
        Workspace::install(panels.workspace);
        panels.workspace->opens = true;

        QMessageBox *alert = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("helpFallbackAlert") && widget->isVisible())
                alert = qobject_cast<QMessageBox *>(widget);
        }
        ASSERT_TRUE(alert) << "no alert";
        EXPECT_EQ(alert->text(), "The help document could not be opened.");
        EXPECT_EQ(alert->informativeText(), installed);
        alert->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(Delegate, AFileHandedOverIsRefusedWhileASheetIsUp)
{
    ASSERT_TRUE(delegate->applicationWillFinishLaunching());
    delegate->applicationDidFinishLaunching();
    const auto main = delegate->mainWndController();
    EXPECT_FALSE(delegate->applicationOpenFile("/tmp/some.dwproj"));
    main->chooseCustomQualityAction();
    EXPECT_TRUE(delegate->applicationOpenFile("/tmp/some.dwproj"));
    main->finishCustomQualityWindow();
    EXPECT_FALSE(delegate->applicationOpenFile("/tmp/some.dwproj"));
}

// Started as the program is with a package named on the command line: from the window's first
// show it names the package with the opening sheet over it and shows nothing of the new project
// the package replaces (no "Untitled", no default quality); once read, the package's quality. A
// package that cannot be read gives the window the new project's own values back.
TEST_F(Delegate, APackageNamedAtStartIsWhatTheWindowShowsFromItsFirstShow)
{
    QTemporaryDir work;
    const QString saved = work.filePath("Discwright Holiday.dwproj");
    {
        // Standard quality, not the 4000 kbps of a new project.
        ProjectContents contents = NewProjectBuilder::build(2000);
        QString error;
        const auto snapshot = ProjectPackage::takeSnapshot(contents, QString(), &error);
        ASSERT_TRUE(snapshot) << error.toStdString();
        ASSERT_TRUE(ProjectPackage::writePackage(
            *snapshot, saved, ProjectPackage::WriteMode::Replace, nullptr, &error))
            << error.toStdString();
    }
    const QString broken = work.filePath("Broken.dwproj");
    ASSERT_TRUE(QDir().mkpath(broken));

    struct Row
    {
        const char *name;
        QString package;
        QString title;
        QString quality;
        qint64 bitrate;
    };
    const Row rows[] = {
        {"a saved package", saved, "Discwright Holiday - Discwright[*]", "Standard", 2000},
        {"a package that cannot be read", broken, "Untitled - Discwright[*]", "High Quality", 4000},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        delegate = std::make_unique<AppDelegate>();
        delegate->setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
        ASSERT_TRUE(delegate->applicationWillFinishLaunching());
        const auto main = delegate->mainWndController();
        QMainWindow *window = main->window();
        // As the program's entry joins the document to the window.
        MainWindowDocumentHost documents(*main);
        documents.install();
        delegate->setDocumentHooks([&documents] { return documents.hasDocument(); },
                                   [&documents] { documents.openFirstDocument(); });
        documents.setStartupPackage(row.package);
        QString alertSeen;
        if (row.package == broken)
            answerNextAlert("OK", &alertSeen);

        QString shownTitle;
        QString shownQuality = QStringLiteral("(not shown)");
        QString shownSize = QStringLiteral("(not shown)");
        EventWatcher watcher(QEvent::Show, [&] {
            if (!shownTitle.isEmpty())
                return;
            shownTitle = window->windowTitle();
            shownQuality = main->dvdQualityPopBtn()->text();
            shownSize = main->window()->findChild<QLabel *>("capacityLabel")->text();
        });
        window->installEventFilter(&watcher);
        delegate->applicationDidFinishLaunching();
        window->removeEventFilter(&watcher);
        OpenProgressWindow *sheet = documents.openProgressWindow();
        const bool sheetAtShow = sheet && sheet->isVisible();

        EXPECT_EQ(shownTitle, QFileInfo(row.package).completeBaseName() + " - Discwright[*]");
        EXPECT_EQ(shownQuality, QString()) << "the quality of the project the package replaces";
        EXPECT_EQ(shownSize, QString()) << "the size of the project the package replaces";
        ASSERT_TRUE(sheetAtShow) << "the opening sheet is up with the window";
        EXPECT_EQ(sheet->messageLabel()->text(),
                  "Opening \"" + QFileInfo(row.package).completeBaseName() + "\" ...");
        if (row.package == saved) {
            // The window as a person first sees it, the sheet drawn where it hangs.
            QPixmap shot = window->grab();
            QPainter painter(&shot);
            painter.drawPixmap(sheet->geometry().topLeft() - window->geometry().topLeft(),
                               sheet->grab());
            painter.end();
            QDir().mkpath(QStringLiteral(DW_BINARY_DIR "/screenshots"));
            shot.save(QStringLiteral(DW_BINARY_DIR "/screenshots/start_with_package.png"));
        }

        ASSERT_TRUE(runUntil([&] {
            return !documents.isJobRunning() && !sheet->isVisible()
                   && (row.package != broken || !alertSeen.isEmpty());
        }));
        EXPECT_EQ(window->windowTitle(), row.title);
        EXPECT_EQ(main->dvdQualityPopBtn()->text(), row.quality);
        EXPECT_EQ(main->dvd()->dvdBitrate(), row.bitrate);
        if (row.package == saved) {
            QDir().mkpath(QStringLiteral(DW_BINARY_DIR "/screenshots"));
            saveGrab(*window, "start_with_package_read");
        }
        if (row.package == broken) {
            EXPECT_TRUE(alertSeen.startsWith("The project could not be opened."))
                << alertSeen.toStdString();
        }
    }
}

// The real program: while one instance holds the lock, a second start says so, exits with a
// failure and leaves the running one's temporary files alone. Regression: the two had the same
// HOME and TMPDIR but runtime folders of their own (two logins), the lock lived in the runtime
// folder, and the second emptied the first's temporary root.
TEST(Program, ASecondStartSaysSoAndExitsLeavingTheTemporaryRootAlone)
{
    application();
    QTemporaryDir home;
    QDir(home.path()).mkpath("tmp");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", home.path() + "/tmp");
    environment.insert("HOME", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    const auto session = [&](const QString &runtime) {
        QDir(home.path()).mkpath(runtime);
        QFile::setPermissions(home.path() + "/" + runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | QFileDevice::ExeOwner);
        QProcessEnvironment own = environment;
        own.insert("XDG_RUNTIME_DIR", home.path() + "/" + runtime);
        return own;
    };
    const QString root = home.path() + "/tmp/" + FileManagerExtention::bundleIdentifier();
    const QString stale = root + "/burn-dvd-progress/stale.dir";
    const QString planted = root + "/burn-dvd-progress/running.dir";
    plant(stale);

    QProcess first;
    first.setProcessEnvironment(session("run-1"));
    first.start(QStringLiteral(DW_BINARY_DIR "/Discwright"), {});
    ASSERT_TRUE(first.waitForStarted());
    // Launched once it holds the lock and has emptied the root of an earlier run's files.
    ASSERT_TRUE(runUntil(
        [&] {
            return QFile::exists(root + "/" + FileManagerExtention::instanceLockName())
                   && !QFile::exists(stale) && first.state() == QProcess::Running;
        },
        60000));
    plant(planted);

    QProcess second;
    second.setProcessEnvironment(session("run-2"));
    second.start(QStringLiteral(DW_BINARY_DIR "/Discwright"), {});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError()).contains("already running"));
    EXPECT_TRUE(QFile::exists(planted));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    first.waitForFinished(20000);
}

// Regression: SIGTERM, SIGINT and SIGHUP killed the program where it stood. Each ends it as the
// Quit command does: the window closes, the process exits normally and gives up its lock.
TEST(Program, TerminationSignalsEndItAsAQuitDoes)
{
    application();
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        QTemporaryDir home;
        QDir(home.path()).mkpath("tmp");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", home.path() + "/tmp");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        const QString lock = home.path() + "/tmp/" + FileManagerExtention::bundleIdentifier() + "/"
                             + FileManagerExtention::instanceLockName();
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(DW_BINARY_DIR "/Discwright"), {});
        ASSERT_TRUE(program.waitForStarted());
        // Running once it holds the lock and shows its window (the signals are in place by then).
        program.setReadChannel(QProcess::StandardError);
        ASSERT_TRUE(runUntil([&] { return QFile::exists(lock); }, 60000));
        ASSERT_EQ(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), signalNumber);
        ASSERT_TRUE(program.waitForFinished(10000)) << "still running 10 s after the signal";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_FALSE(QFile::exists(lock));
    }
}

} // namespace
