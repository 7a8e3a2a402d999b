// The start of the process: the one-instance lock, the temporary root emptied at launch, the
// application menu, the first project and the Help menu; and the real program started twice.

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Function/ApplicationInstanceLock.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/Controller/AppDelegate.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/Panels/Workspace.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "support/ShellTesting.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

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
