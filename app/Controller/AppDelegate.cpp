#include "app/Controller/AppDelegate.h"

#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/ApplicationInstanceLock.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/AppExtention/Function/TerminationSignals.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/Panels/Workspace.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/WorkFolderRecord.h"
#include "platform/MainThread.h"
#include "platform/ResourceFolder.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>

namespace {

AppDelegate *g_delegate = nullptr;

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

AppDelegate::AppDelegate()
    : m_resourcesFolder(platform::bundleResourcesPath())
{
    DW_ASSERT_MAIN_THREAD();
    g_delegate = this;
    ControllerFunction::setAppDelegate(this);
}

AppDelegate::~AppDelegate()
{
    ControllerFunction::setMainWndController(nullptr);
    m_mainWndController.reset();
    if (g_delegate == this)
        g_delegate = nullptr;
    if (ControllerFunction::appDelegate() == this)
        ControllerFunction::setAppDelegate(nullptr);
}

AppDelegate *AppDelegate::share()
{
    return g_delegate;
}

QString AppDelegate::alreadyRunningMessage()
{
    return text("Discwright is already running. Use the open window, or quit it first.");
}

bool AppDelegate::applicationWillFinishLaunching()
{
    DW_ASSERT_MAIN_THREAD(return false);
    // Before anything is made that a signal should not leave behind; they are read once the
    // event loop runs.
    m_signals = std::make_unique<TerminationSignals>(
        [this](int signalNumber) { terminateFromSignal(signalNumber); });
    // The temporary root is shared by every process of the user: it is emptied only by the one
    // process that holds the lock.
    m_lock = std::make_unique<ApplicationInstanceLock>();
    if (!m_lock->tryLock()) {
        qCWarning(Discwright::lcShell).noquote()
            << alreadyRunningMessage() << "(process" << m_lock->holderProcessId() << "holds"
            << m_lock->lockPath() << ")";
        m_lock.reset();
        m_signals.reset();
        return false;
    }
    qCInfo(Discwright::lcShell).noquote() << "Home" << QDir::homePath();
    FileManagerExtention::removeTempFiles();
    // What runs killed before their end left in the person's folders.
    Discwright::WorkFolderRecord::removeRecordedLeftovers();
    m_mainWndController = std::make_shared<MainWindowController>();
    ControllerFunction::setMainWndController(m_mainWndController);
    QMainWindow *window = m_mainWndController->window();
    connect(m_mainWndController.get(),
            &MainWindowController::windowWillClose,
            qApp,
            &QCoreApplication::quit,
            Qt::QueuedConnection);
    // The session's end is a quit like any other.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        requestQuit();
    });
    if (const QScreen *screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    return true;
}

void AppDelegate::requestQuit()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_mainWndController) {
        QCoreApplication::quit();
        return;
    }
    const QPointer<QMainWindow> window = m_mainWndController->window();
    m_mainWndController->convertProgressWindowController()->cancelThen([window] {
        if (window)
            window->close();
        else
            QCoreApplication::quit();
    });
}

void AppDelegate::terminateFromSignal(int signalNumber)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_quitRequested) {
        qCWarning(Discwright::lcShell) << "signal" << signalNumber << "again: leaving at once";
        QCoreApplication::exit(128 + signalNumber);
        return;
    }
    m_quitRequested = true;
    // A quit is refused while the window is busy (a job of the document, a sheet up); the
    // signal's quit is asked again until it goes through. A running production is cancelled by
    // the first request, and the window closes once its jobs have ended.
    auto *retry = new QTimer(this);
    retry->setInterval(250);
    connect(retry, &QTimer::timeout, this, [this] {
        if (m_launched && !m_mainWndController->convertProgressWindowController()->isRunning())
            requestQuit();
    });
    retry->start();
    if (m_launched)
        requestQuit();
}

void AppDelegate::applicationDidFinishLaunching()
{
    setupApp();
    startApp();
    m_launched = true;
    // A signal that came before the window and its first document were up quits now.
    if (m_quitRequested)
        requestQuit();
}

void AppDelegate::renameApplicationMenu(QMenu &menu)
{
    const QString name = QApplication::applicationName();
    for (QAction *item : menu.actions()) {
        const QString action = item->objectName();
        if (action == QLatin1String("orderFrontStandardAboutPanel:"))
            item->setText(platform::localizedString(QStringLiteral("About %@"), {name}));
        else if (action == QLatin1String("hide:"))
            item->setText(platform::localizedString(QStringLiteral("Hide %@"), {name}));
        else if (action == QLatin1String("terminate:"))
            item->setText(platform::localizedString(QStringLiteral("Quit %@"), {name}));
    }
}

void AppDelegate::setupApp()
{
    DW_ASSERT(m_mainWndController, return );
    MainWindowController &main = *m_mainWndController;
    QMenuBar *bar = main.window()->menuBar();
    if (!bar->actions().isEmpty())
        if (QMenu *application = bar->actions().first()->menu())
            renameApplicationMenu(*application);
    connect(main.menuAction("orderFrontStandardAboutPanel:"),
            &QAction::triggered,
            this,
            &AppDelegate::about);
    connect(main.menuAction("terminate:"), &QAction::triggered, this, &AppDelegate::requestQuit);
    connect(main.menuAction("discwrightHelp:"),
            &QAction::triggered,
            this,
            &AppDelegate::discwrightHelp);
    // Support and the help video exist only where the build names their addresses.
    QMenu *help = main.window()->menuBar()->findChild<QMenu *>(QStringLiteral("helpMenu"));
    if (help && supportURL().isValid())
        connect(help->addAction(text("Support")), &QAction::triggered, this, &AppDelegate::support);
    if (help && helpVideoURL().isValid())
        connect(help->addAction(text("Help Video")),
                &QAction::triggered,
                this,
                &AppDelegate::helpVideo);
}

void AppDelegate::startApp()
{
    openMainWindowController();
}

void AppDelegate::setDocumentHooks(std::function<bool()> hasDocument,
                                   std::function<void()> newDocument)
{
    m_hasDocument = std::move(hasDocument);
    m_newDocument = std::move(newDocument);
}

void AppDelegate::openMainWindowController()
{
    DW_ASSERT(m_mainWndController, return );
    if (m_hasDocument && m_newDocument) {
        if (!m_hasDocument())
            m_newDocument();
    } else {
        m_mainWndController->newDocumentProject();
    }
    m_mainWndController->window()->show();
}

bool AppDelegate::applicationOpenFile(const QString &)
{
    return m_mainWndController && m_mainWndController->isWindowBusy();
}

QString AppDelegate::helpDocumentPath() const
{
    return QDir(m_resourcesFolder).filePath(QStringLiteral("Discwright Help.pdf"));
}

void AppDelegate::discwrightHelp()
{
    const QString path = helpDocumentPath();
    // The installed file itself: a copy in a shared folder could be stale or planted by another
    // user.
    if (QFileInfo(path).isFile() && Workspace::shared().openFile(path))
        return;
    // Missing, or no program to show it: the alert names the installed file, so the person can
    // open it some other way. Not waited for, so nothing else is held up.
    auto *box = new QMessageBox(QMessageBox::Warning,
                                QApplication::applicationName(),
                                text("The help document could not be opened."),
                                QMessageBox::Ok,
                                m_mainWndController ? m_mainWndController->window() : nullptr);
    box->setObjectName(QStringLiteral("helpFallbackAlert"));
    box->setInformativeText(QDir::toNativeSeparators(path));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QUrl AppDelegate::supportURL()
{
#ifdef DW_SUPPORT_HOST
    return QUrl(QStringLiteral("http://%1/support").arg(QStringLiteral(DW_SUPPORT_HOST)));
#else
    return {};
#endif
}

QUrl AppDelegate::helpVideoURL()
{
#ifdef DW_HELP_VIDEO_URL
    return QUrl(QStringLiteral(DW_HELP_VIDEO_URL));
#else
    return {};
#endif
}

void AppDelegate::support()
{
    Workspace::shared().openURL(supportURL());
}

void AppDelegate::helpVideo()
{
    Workspace::shared().openURL(helpVideoURL());
}

void AppDelegate::about()
{
    QMessageBox::about(
        m_mainWndController ? m_mainWndController->window() : nullptr,
        platform::localizedString(QStringLiteral("About %@"), {QApplication::applicationName()}),
        QStringLiteral("%1 %2").arg(QApplication::applicationName(),
                                    QApplication::applicationVersion()));
}
