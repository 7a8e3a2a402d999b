#include "ShellTesting.h"

#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/Controller/MainWindowController.h"
#include "platform/StringTable.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace shell_testing {

QApplication &application()
{
    static QApplication *app = [] {
        // The program empties its temporary root and takes a lock in its runtime folder: in
        // tests both belong to this process alone.
        static QTemporaryDir temp(QDir::tempPath() + "/dw-shell-test-XXXXXX");
        QDir(temp.path()).mkpath("tmp");
        QDir(temp.path()).mkpath("run");
        QFile::setPermissions(temp.path() + "/run",
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | QFileDevice::ExeOwner);
        qputenv("TMPDIR", (temp.path() + "/tmp").toUtf8());
        qputenv("XDG_RUNTIME_DIR", (temp.path() + "/run").toUtf8());
        qputenv("HOME", temp.path().toUtf8());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "Discwright";
        static char *argv[] = {name, nullptr};
        auto *made = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Discwright"));
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
        platform::StringTable::install(platform::StringTable::fromFile(
            QStringLiteral(DW_BINARY_DIR "/resources/") + platform::StringTable::fileName()));
        return made;
    }();
    return *app;
}

bool runUntil(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

QStringList ScriptedOpenPanel::chooseFiles(QWidget *, const QString &title)
{
    titles << title;
    return files.isEmpty() ? QStringList() : files.takeFirst();
}

QString ScriptedOpenPanel::chooseDirectory(QWidget *,
                                           const QString &title,
                                           const QString &,
                                           const QString &)
{
    titles << title;
    return directories.isEmpty() ? QString() : directories.takeFirst();
}

bool ScriptedWorkspace::openURL(const QUrl &url)
{
    urls << url;
    return true;
}

bool ScriptedWorkspace::openFile(const QString &path)
{
    openedFiles << path;
    return opens;
}

bool ScriptedWorkspace::selectFile(const QString &path)
{
    selectedFiles << path;
    return opens;
}

ScopedPanels::ScopedPanels()
    : panel(std::make_shared<ScriptedOpenPanel>())
    , workspace(std::make_shared<ScriptedWorkspace>())
{
    OpenPanel::install(panel);
    Workspace::install(workspace);
}

ScopedPanels::~ScopedPanels()
{
    OpenPanel::install(nullptr);
    Workspace::install(nullptr);
}

QMessageBox *visibleAlert()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    return nullptr;
}

bool waitForProductionEnd(MainWindowController &controller, int limitMs)
{
    return runUntil(
        [&controller] { return !controller.convertProgressWindowController()->isRunning(); },
        limitMs);
}

void answerNextAlert(const QString &button, QString *seen, int limitMs, const QString &grabName)
{
    auto *timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, button, seen, clock, limitMs, grabName] {
        QMessageBox *box = visibleAlert();
        if (!box) {
            if (clock->elapsed() > limitMs)
                timer->deleteLater();
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (seen)
            *seen = box->text() + "\n" + box->informativeText();
        if (!grabName.isEmpty())
            saveGrab(*box, grabName);
        for (QAbstractButton *candidate : box->buttons()) {
            if (candidate->text() == button) {
                candidate->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << button.toStdString() << " on "
                      << box->text().toStdString();
        box->reject();
    });
    timer->start();
}

QString saveGrab(QWidget &widget, const QString &name)
{
    const QString folder = QStringLiteral(DW_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    const QString path = folder + "/" + name + ".png";
    widget.grab().save(path);
    return path;
}

} // namespace shell_testing

// Fontconfig keeps a cache for the life of the process that it never frees; widgets that draw
// text load it.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
