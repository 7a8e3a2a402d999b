#pragma once

#include "app/AppExtention/Document/DiscwrightDocumentController.h"
#include "app/AppExtention/Document/DocumentWindowInterface.h"
#include "app/AppExtention/Document/PackageProgressState.h"
#include "app/AppExtention/Document/ProjectPackageJobs.h"
#include "app/View/MainView/OpenProgressWindow.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class MainWindowController;

/**
 * Joins the main window to the document: it reads and writes the main window controller's project
 * through the package jobs, behind the open/save sheet on the window (a new project is made
 * without it); it swaps a read project in on
 * the main thread; it owns the document controller and routes the File menu's commands, the
 * window's close and a package handed to the program through it. Closing the window with unsaved
 * edits asks first and quits only once the document may close (for "Save", once the package is
 * written).
 *
 * One for the life of the main window, made at start-up after the main window controller. Main
 * thread only.
 */
class MainWindowDocumentHost : public QObject, public DocumentWindowInterface
{
    Q_OBJECT
public:
    // panels null: the process's message boxes and file dialogs. terminate null: quit the
    // application.
    MainWindowDocumentHost(MainWindowController &controller,
                           std::shared_ptr<DocumentPanelsInterface> panels = nullptr,
                           std::function<void()> terminate = nullptr);
    ~MainWindowDocumentHost() override;

    // Connects the File menu and the window's close.
    void install();
    // The delegate's first document: a new project, or the package named at start.
    bool hasDocument() const { return m_documentController->document() != nullptr; }
    void openFirstDocument();
    // A package named on the command line: the first document is read from it instead of being
    // a new project (a package that cannot be read leaves the new window's project and alerts).
    // The window names the package from the start, and its opening sheet comes with the window.
    void setStartupPackage(const QString &path) { m_startupPackage = path; }

    DiscwrightDocumentController &documentController() { return *m_documentController; }
    bool isJobRunning() const { return m_jobs.isBusy(); }
    // The open/save sheet; made on the first job that shows it, null before.
    OpenProgressWindow *openProgressWindow() const { return m_progress; }

    // A package handed to the program: opened by the reuse rule once the first document is there;
    // refused (false) while the window is busy.
    bool openPackage(const QString &path);

    // DocumentWindowInterface.
    bool openPath(const QString &path, Done done) override;
    bool savePath(const QString &path, ProjectPackage::WriteMode mode, Done done) override;
    bool isWindowBusy() const override;
    void setDocumentEdited(bool edited) override;
    bool isDocumentEdited() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void documentCommand(const QString &action);
    void openStartupPackage(const QString &path);
    void showProgressBarWindow(PackageProgressState::Job job, const QString &path);
    void beginProgressSheet();
    void endProgressBarWindow();
    void adoptProject(ProjectContents contents, const QString &path);

    MainWindowController &m_controller;
    std::shared_ptr<DocumentPanelsInterface> m_panels;
    std::function<void()> m_terminate;
    ProjectPackageJobs m_jobs;
    std::unique_ptr<DiscwrightDocumentController> m_documentController;
    PackageProgressState m_progressState;
    QPointer<OpenProgressWindow> m_progress;
    bool m_closing = false;
    QString m_startupPackage;
    // The package named at start is being read: a failed read puts the project's own values
    // back in the window.
    bool m_startupOpen = false;
    // A job's sheet was begun while the window was not on screen yet.
    bool m_sheetWaitsForWindow = false;
};
