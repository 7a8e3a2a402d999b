#pragma once

// What the shell's widget tests share: the one QApplication (offscreen under ctest) with the
// program's name and the library operations installed, the scripted open panel and workspace,
// answering alerts and sheets as a person would, and the screenshots a person looks at.

#include "app/Controller/Panels/OpenPanel.h"
#include "app/Controller/Panels/Workspace.h"

#include <QApplication>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>

class MainWindowController;
class QMessageBox;
class QWidget;

namespace shell_testing {

// Made on the first call, with a private temporary root (TMPDIR) and runtime folder for the
// program's own use. Main thread.
QApplication &application();

// Runs the event loop until done() holds; false when limitMs passed first.
bool runUntil(const std::function<bool()> &done, int limitMs = 20000);

// Runs the event loop until the controller's production run (if one was started) has ended.
bool waitForProductionEnd(MainWindowController &controller, int limitMs = 540000);

// An open panel that answers from its queues (empty once they run out) and records the titles.
class ScriptedOpenPanel : public OpenPanel
{
public:
    QStringList chooseFiles(QWidget *parent, const QString &title) override;
    QString chooseDirectory(QWidget *parent,
                            const QString &title,
                            const QString &prompt,
                            const QString &startFolder) override;

    QList<QStringList> files;
    QStringList directories;
    QStringList titles;
};

// A workspace that records what it was asked to open or show.
class ScriptedWorkspace : public Workspace
{
public:
    bool openURL(const QUrl &url) override;
    bool openFile(const QString &path) override;
    bool selectFile(const QString &path) override;

    // What openFile and selectFile answer, as a desktop without any launcher would.
    bool opens = true;
    QList<QUrl> urls;
    QStringList openedFiles;
    QStringList selectedFiles;
};

// Installs both for the test's life.
struct ScopedPanels
{
    ScopedPanels();
    ~ScopedPanels();
    std::shared_ptr<ScriptedOpenPanel> panel;
    std::shared_ptr<ScriptedWorkspace> workspace;
};

// Answers the next message box that appears within limitMs by pressing the button titled button;
// seen receives its text and informative text ("text\ninformative"). Runs from the event loop, so
// a box opened with exec() is answered while it waits.
// With grabName, the box is saved as a screenshot first.
void answerNextAlert(const QString &button,
                     QString *seen = nullptr,
                     int limitMs = 20000,
                     const QString &grabName = QString());
// The visible message box, or null.
QMessageBox *visibleAlert();

// Saves widget.grab() as <build>/screenshots/<name>.png; answers the path.
QString saveGrab(QWidget &widget, const QString &name);

} // namespace shell_testing
