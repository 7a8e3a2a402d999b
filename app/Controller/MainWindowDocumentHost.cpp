#include "app/Controller/MainWindowDocumentHost.h"

#include "app/AppExtention/Document/DocumentLog.h"
#include "app/Controller/MainWindowController.h"
#include "app/Controller/Panels/DocumentPanels.h"
#include "app/View/MainView/OpenProgressWindow.h"
#include "platform/MainThread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>
#include <QMainWindow>
#include <utility>

MainWindowDocumentHost::MainWindowDocumentHost(MainWindowController &controller,
                                               std::shared_ptr<DocumentPanelsInterface> panels,
                                               std::function<void()> terminate)
    : m_controller(controller)
    , m_panels(panels ? std::move(panels) : std::make_shared<DocumentPanels>(controller.window()))
    , m_terminate(terminate ? std::move(terminate) : [] { QCoreApplication::quit(); })
{
    m_documentController = std::make_unique<DiscwrightDocumentController>(*this, *m_panels);
}

MainWindowDocumentHost::~MainWindowDocumentHost()
{
    m_controller.setDocumentCommandValidator(nullptr);
    if (m_controller.window())
        m_controller.window()->removeEventFilter(this);
}

void MainWindowDocumentHost::install()
{
    DW_ASSERT_MAIN_THREAD(return );
    connect(&m_controller,
            &MainWindowController::documentCommand,
            this,
            &MainWindowDocumentHost::documentCommand);
    m_controller.setDocumentCommandValidator([this](const QString &action) {
        using Command = DiscwrightDocumentController::Command;
        static const QHash<QString, Command> commands = {
            {QStringLiteral("newDocument:"), Command::New},
            {QStringLiteral("openDocument:"), Command::Open},
            {QStringLiteral("saveDocument:"), Command::Save},
            {QStringLiteral("saveDocumentAs:"), Command::SaveAs},
            {QStringLiteral("revertDocumentToSaved:"), Command::Revert},
        };
        const auto command = commands.constFind(action);
        return command != commands.constEnd()
               && m_documentController->validateUserInterfaceItem(*command);
    });
    // The window closes only once the document may: the close itself is held back here.
    m_controller.window()->installEventFilter(this);
    m_controller.validateMenuItems();
}

void MainWindowDocumentHost::openFirstDocument()
{
    if (m_startupPackage.isEmpty())
        m_documentController->openUntitledDocumentAndDisplay();
    else
        openStartupPackage(std::exchange(m_startupPackage, QString()));
}

void MainWindowDocumentHost::openStartupPackage(const QString &path)
{
    // The window comes up naming the package behind the opening sheet, never with the new
    // project's name and quality that the package is about to replace.
    m_controller.showOpeningPackage(path);
    m_startupOpen = true;
    if (!openPackage(path) && std::exchange(m_startupOpen, false))
        m_controller.showProjectValues();
}

void MainWindowDocumentHost::documentCommand(const QString &action)
{
    if (action == QLatin1String("newDocument:"))
        m_documentController->openUntitledDocumentAndDisplay();
    else if (action == QLatin1String("openDocument:"))
        m_documentController->openDocument();
    else if (action == QLatin1String("saveDocument:"))
        m_documentController->saveDocument();
    else if (action == QLatin1String("saveDocumentAs:"))
        m_documentController->saveDocumentAs();
    else if (action == QLatin1String("revertDocumentToSaved:"))
        m_documentController->revertDocumentToSaved();
    else
        qCWarning(Discwright::lcDocument) << "unknown document command" << action;
}

bool MainWindowDocumentHost::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_controller.window() && event->type() == QEvent::Show
        && m_sheetWaitsForWindow) {
        // Up with the window itself, so the window is never on screen without it.
        m_sheetWaitsForWindow = false;
        if (m_progressState.isShown())
            beginProgressSheet();
    }
    if (watched != m_controller.window() || event->type() != QEvent::Close || m_closing)
        return QObject::eventFilter(watched, event);
    event->ignore();
    // A close during a production run stops the run first: once its jobs have ended and its work
    // folder is gone, the window is closed again, the usual way.
    ConvertProgressWindowController *production = m_controller.convertProgressWindowController();
    if (production && production->isRunning()) {
        production->cancelThen([this] {
            platform::postToMainThread(this, [this] { m_controller.window()->close(); });
        });
        return true;
    }
    // The question runs after this event, not inside the window system's close.
    platform::postToMainThread(this, [this] {
        m_documentController->closeDocumentThen([this] {
            m_closing = true;
            m_controller.window()->close();
            m_terminate();
        });
    });
    return true;
}

bool MainWindowDocumentHost::openPackage(const QString &path)
{
    return m_documentController->openDocumentWithContentsOfURL(path) != nullptr;
}

bool MainWindowDocumentHost::openPath(const QString &path, Done done)
{
    DW_ASSERT_MAIN_THREAD(return false);
    const bool started
        = m_jobs.open(path, [this, path, done](std::optional<ProjectContents> read, QString why) {
              endProgressBarWindow();
              if (read)
                  adoptProject(std::move(*read), path);
              else if (m_startupOpen)
                  m_controller.showProjectValues();
              m_startupOpen = false;
              done(bool(read), why);
              // The document is no longer busy and may belong to another package now.
              m_controller.validateMenuItems();
          });
    if (started)
        showProgressBarWindow(PackageProgressState::Job::Open, path);
    else if (std::exchange(m_startupOpen, false))
        m_controller.showProjectValues();
    return started;
}

void MainWindowDocumentHost::adoptProject(ProjectContents contents, const QString &path)
{
    m_controller.setPackagePath(path);
    // The window's parts follow the project's projectReplaced: the list, drawers, page and gauge.
    m_controller.setProject(contents.dvd, contents.tempDataArray, contents.tempDvdData);
    m_controller.setDocumentEdited(false);
}

bool MainWindowDocumentHost::savePath(const QString &path,
                                      ProjectPackage::WriteMode mode,
                                      Done done)
{
    DW_ASSERT_MAIN_THREAD(return false);
    ProjectContents contents{
        m_controller.dvd(), m_controller.tempDataArray(), m_controller.tempDvdData()};
    QString error;
    const bool started = m_jobs.save(
        contents,
        m_controller.packagePath(),
        path,
        mode,
        [this, path, done](bool ok, const QString &why) {
            endProgressBarWindow();
            if (ok)
                m_controller.setPackagePath(path);
            done(ok, why);
            m_controller.validateMenuItems();
        },
        &error);
    if (!started) {
        qCWarning(Discwright::lcDocument) << "not saving" << path << ":" << error;
        return false;
    }
    showProgressBarWindow(PackageProgressState::Job::Save, path);
    return true;
}

bool MainWindowDocumentHost::isWindowBusy() const
{
    return m_controller.isWindowBusy();
}

void MainWindowDocumentHost::setDocumentEdited(bool edited)
{
    m_controller.setDocumentEdited(edited);
}

bool MainWindowDocumentHost::isDocumentEdited() const
{
    return m_controller.isDocumentEdited();
}

void MainWindowDocumentHost::showProgressBarWindow(PackageProgressState::Job job,
                                                   const QString &path)
{
    if (!m_progressState.begin(job, path))
        return;
    // The package named at start is read before the window is on screen: the sheet comes with
    // the window's show.
    if (m_controller.window()->isVisible())
        beginProgressSheet();
    else
        m_sheetWaitsForWindow = true;
    // The sheet takes the window's commands away until the job is over.
    m_controller.validateMenuItems();
}

void MainWindowDocumentHost::beginProgressSheet()
{
    if (!m_progress)
        m_progress = new OpenProgressWindow(m_controller.window());
    m_progress->beginSheet(m_progressState.message());
    m_controller.validateMenuItems();
}

void MainWindowDocumentHost::endProgressBarWindow()
{
    m_sheetWaitsForWindow = false;
    if (m_progressState.end() && m_progress)
        m_progress->endSheet();
    m_controller.validateMenuItems();
}
