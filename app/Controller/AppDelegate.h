#pragma once

// The application's delegate: the start-up of the process (the one-instance lock, the temporary
// root emptied, the one main window controller made and installed), the renaming of the
// application menu's standard items, the first document, and the Help menu.
//
// One instance for the life of the process, made by main before the event loop; share() reaches
// it. Main thread.

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class ApplicationInstanceLock;
class TerminationSignals;
class MainWindowController;
class QMenu;

class AppDelegate : public QObject
{
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // The delegate of the running process; null before it is made or after it is gone.
    static AppDelegate *share();

    std::shared_ptr<MainWindowController> mainWndController() const { return m_mainWndController; }

    // Takes the one-instance lock (false, with nothing touched, when another process of the user
    // holds it), then empties the temporary root, makes the main window controller, installs it
    // and centres its window.
    bool applicationWillFinishLaunching();
    // setupApp, then startApp.
    void applicationDidFinishLaunching();
    // Titles of the application menu's About, Hide and Quit items with the program's name, and
    // their handlers; other items keep their titles.
    void setupApp();
    void startApp();
    // Opens the first document when none is open: through the document hooks once installed,
    // else the main window is shown on its own.
    void openMainWindowController();
    // A file handed to the program opens nothing here; answers whether the window is busy.
    bool applicationOpenFile(const QString &path);

    // The document controller's hooks: whether a document is open, and how to make the first.
    void setDocumentHooks(std::function<bool()> hasDocument, std::function<void()> newDocument);

    // The folder of the installed resources (the one beside the program unless set).
    QString resourcesFolder() const { return m_resourcesFolder; }
    void setResourcesFolder(const QString &folder) { m_resourcesFolder = folder; }
    // The help document installed with the program.
    QString helpDocumentPath() const;
    // Opens the installed help document itself; a missing file is said in an alert.
    void discwrightHelp();
    // The support page and the help video, when the build names them; empty otherwise.
    static QUrl supportURL();
    static QUrl helpVideoURL();
    void support();
    void helpVideo();
    void about();

    // The one way to end the process as a quit, for the window's close, the end of the session and
    // the termination signals alike: a production run going on is cancelled, its jobs end off the
    // main thread and its work folder is removed; then the main window closes (asking about
    // unsaved edits, as any close does) and the event loop ends. Main thread; asks nothing itself.
    void requestQuit();

    // The message a second start shows before it exits.
    static QString alreadyRunningMessage();

    // SIGTERM, SIGINT or SIGHUP, brought into the event loop (installed as the launch begins):
    // the first quits through requestQuit, once the launch has finished, and asks again
    // every quarter second while the window is too busy to close; a second one while that is
    // under way ends the event loop at once, with 128 + the signal's number.
    void terminateFromSignal(int signalNumber);

private:
    void renameApplicationMenu(QMenu &menu);

    std::unique_ptr<ApplicationInstanceLock> m_lock;
    std::unique_ptr<TerminationSignals> m_signals;
    bool m_quitRequested = false;
    bool m_launched = false;
    std::shared_ptr<MainWindowController> m_mainWndController;
    std::function<bool()> m_hasDocument;
    std::function<void()> m_newDocument;
    QString m_resourcesFolder;
};
