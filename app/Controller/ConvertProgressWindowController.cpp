#include "app/Controller/ConvertProgressWindowController.h"

#include "Platterkit/burn/DVDBurn.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/Controller/Panels/Workspace.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <mutex>
#include <thread>

namespace {

QString tr_(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

ConvertProgressWindowController::ConvertProgressWindowController(QWidget *parentWindow)
    : QObject(parentWindow)
    , m_window(new QDialog(parentWindow))
{
    m_window->setObjectName(QStringLiteral("ConvertProgressWindowController"));
    m_window->setWindowTitle(tr_("Burn DVD"));
    m_window->setWindowModality(Qt::WindowModal);
    // The run ends the window, never a close box or Escape while the steps still work.
    m_window->setWindowFlag(Qt::WindowCloseButtonHint, false);
    m_progressIndicator = new QProgressBar(m_window);
    m_progressIndicator->setRange(0, 1000);
    m_progressIndicator->setTextVisible(false);
    m_convertVideoStatus = new QLabel(m_window);
    m_cancelButton = new QPushButton(tr_("Cancel"), m_window);
    auto *layout = new QVBoxLayout(m_window);
    layout->addWidget(m_convertVideoStatus);
    layout->addWidget(m_progressIndicator);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);
    m_window->setMinimumWidth(420);
    connect(m_cancelButton, &QPushButton::clicked, this, &ConvertProgressWindowController::cancel);
    m_timer.setInterval(200);
    connect(&m_timer, &QTimer::timeout, this, &ConvertProgressWindowController::updateBurnProgress);
    updateConvertVideoStatus();
}

ConvertProgressWindowController::~ConvertProgressWindowController() = default;

void ConvertProgressWindowController::setBurnDVDTimes(int times)
{
    m_burnDVDTimes = std::clamp(times, 1, 999);
}

QString ConvertProgressWindowController::tempDVDPathName(const QString &folder,
                                                         const QString &name,
                                                         const QString &extension)
{
    return QStringLiteral("%1/%2.%3").arg(folder, name, extension);
}

QString ConvertProgressWindowController::statusText() const
{
    return QStringLiteral("%1 ...").arg(m_isBurnningDVD ? tr_("Burn DVD") : tr_("Convert Video"));
}

void ConvertProgressWindowController::cancel()
{
    m_isCancelled = true;
    if (m_workflow)
        m_workflow->cancel();
    if (m_alert)
        m_alert->reject();
}

void ConvertProgressWindowController::updateConvertVideoStatus()
{
    DW_ASSERT_MAIN_THREAD(return);
    m_convertVideoStatus->setText(statusText());
}

void ConvertProgressWindowController::updateBurnProgress()
{
    DW_ASSERT_MAIN_THREAD(return);
    double value = m_progressFinished;
    if (m_workflow)
        value += m_workflow->progress() * m_currentWeight;
    m_progress = std::clamp(value, 0.0, 0.99);
    m_progressIndicator->setValue(int(m_progress * 1000));
    updateConvertVideoStatus();
}

void ConvertProgressWindowController::onMainThreadAndWait(const std::function<void()> &function)
{
    if (platform::isMainThread()) {
        function();
        return;
    }
    QMetaObject::invokeMethod(this, function, Qt::BlockingQueuedConnection);
}

void ConvertProgressWindowController::burnDVDWithBlock(
    const std::function<void(ConvertProgressWorkflow &)> &block)
{
    DW_ASSERT_MAIN_THREAD(return);
    DW_ASSERT(!m_workflow, return);
    m_isCancelled = false;
    m_progressFinished = 0;
    m_currentWeight = 0;
    m_isBurnningDVD = false;
    m_progress = 0;
    m_progressIndicator->setValue(0);
    updateConvertVideoStatus();
    if (!m_factory)
        return;
    m_workflow = m_factory();
    if (!m_workflow)
        return;
    const QString flowFolder = tempDVDPathName(m_tempWorkPath, "dvd-flow", "dir");
    m_workflow->setTempWorkPath(flowFolder);
    emit runStarted();
    m_timer.start();

    ConvertProgressWorkflow *workflow = m_workflow.get();
    std::thread production([this, workflow, block] {
        block(*workflow);
        QMetaObject::invokeMethod(m_window, "accept", Qt::QueuedConnection);
    });
    m_window->exec();
    production.join();

    m_timer.stop();
    m_workflow.reset();
    updateBurnProgress();
    QDir(flowFolder).removeRecursively();
    emit runFinished();
}

void ConvertProgressWindowController::burnMedia(const std::shared_ptr<DVDLibrary> &disc,
                                                const QString &folder)
{
    burnDVDWithBlock([this, disc, folder](ConvertProgressWorkflow &workflow) {
        m_currentWeight = 1.0;
        const bool made = workflow.makeMedia(disc, folder);
        if (!made || m_isCancelled) {
            // A step that failed or was stopped may have left part of a folder.
            if (QFileInfo(folder).isDir() && !QFileInfo(folder).isSymLink())
                QDir(folder).removeRecursively();
        } else {
            onMainThreadAndWait([this, folder] { selectOutputDVDFile(folder); });
        }
        removeDVDTempFile();
    });
}

void ConvertProgressWindowController::burnIso(const std::shared_ptr<DVDLibrary> &disc,
                                              const QString &isoPath,
                                              const QString &name)
{
    const QString media = tempDVDPathName(m_tempWorkPath, "dvd", "dvdmedia");
    burnDVDWithBlock([this, disc, isoPath, name, media](ConvertProgressWorkflow &workflow) {
        m_currentWeight = 0.9;
        bool made = workflow.makeMedia(disc, media);
        m_progressFinished = m_currentWeight.load();
        m_currentWeight = 0.1;
        if (made && !m_isCancelled)
            made = workflow.makeIso(media, isoPath, name);
        if (!made || m_isCancelled)
            QFile::remove(isoPath);
        else
            onMainThreadAndWait([this, isoPath] { selectOutputDVDFile(isoPath); });
        removeDVDTempFile();
    });
}

ConvertProgressWindowController::DiscState
ConvertProgressWindowController::discStateFor(DVDBurn &burner, qint64 imageBytes)
{
    DiscState state;
    if (!burner.mediaIsPresent())
        state.text = tr_("Please insert other blank DVD .");
    else if (!burner.mediaIsBlank())
        state.text = tr_("The DVD isn’t blank DVD ,  please insert a blank DVD .");
    else if (burner.mediaWritableSpace() <= imageBytes)
        state.text = tr_("The DVD space not enough , please insert other DVD .");
    else {
        state.ready = true;
        state.text = tr_("Ready to Burn");
    }
    return state;
}

void ConvertProgressWindowController::burnDvd(const std::shared_ptr<DVDLibrary> &disc,
                                              DVDBurn *burner,
                                              const QString &name)
{
    const QString media = tempDVDPathName(m_tempWorkPath, "dvd", "dvdmedia");
    const QString iso = tempDVDPathName(m_tempWorkPath, "dvd", "iso");
    burnDVDWithBlock([this, disc, burner, name, media, iso](ConvertProgressWorkflow &workflow) {
        m_currentWeight = 0.5;
        bool made = workflow.makeMedia(disc, media);
        m_progressFinished = 0.5;
        m_currentWeight = 0.05;
        if (made && !m_isCancelled)
            made = workflow.makeIso(media, iso, name);
        m_progressFinished = m_progressFinished + m_currentWeight;
        m_currentWeight = 0.45;
        m_isBurnningDVD = true;
        if (!made || m_isCancelled) {
            removeDVDTempFile();
            return;
        }
        workflow.burnDvd(iso, burner);
        int remaining = m_burnDVDTimes - 1;
        const qint64 imageBytes = QFileInfo(iso).size();
        const auto state = [this, burner, imageBytes] {
            DiscState result;
            onMainThreadAndWait([&] { result = discStateFor(*burner, imageBytes); });
            return result;
        };
        while (!m_isCancelled && remaining > 0) {
            const DiscState now = state();
            const bool burn = runAlertWindow(tr_("Burn DVD"), now.text, tr_("Burn"), tr_("Cancel"),
                                             now.ready, [&state] {
                                                 const DiscState later = state();
                                                 return AlertUpdate{later.text, later.ready};
                                             });
            if (m_isCancelled)
                break;
            if (burn) {
                qCInfo(Discwright::lcProduction, "burn %d", remaining);
                m_progressFinished = 0;
                m_currentWeight = 0.99;
                workflow.burnDvd(iso, burner);
                remaining -= 1;
            } else if (runAlertWindow(tr_("Are you sure stop burning DVD ?"), QString(), tr_("YES"),
                                      tr_("NO"), true, {})) {
                break;
            }
        }
        removeDVDTempFile();
    });
}

bool ConvertProgressWindowController::runAlertWindow(const QString &message,
                                                     const QString &informativeText,
                                                     const QString &defaultButton,
                                                     const QString &alternateButton,
                                                     bool defaultEnabled,
                                                     const std::function<AlertUpdate()> &update)
{
    auto result = std::make_shared<std::atomic<int>>(-1);
    QPointer<QPushButton> burnButton;
    QPointer<QMessageBox> box;
    const auto show = [&, result] {
        box = new QMessageBox(QMessageBox::NoIcon, message, message, QMessageBox::NoButton,
                              m_window);
        box->setObjectName(QStringLiteral("productionAlert"));
        box->setInformativeText(informativeText);
        box->setWindowModality(Qt::WindowModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        burnButton = box->addButton(defaultButton, QMessageBox::AcceptRole);
        QPushButton *alternate = box->addButton(alternateButton, QMessageBox::RejectRole);
        box->setDefaultButton(burnButton);
        box->setEscapeButton(alternate);
        burnButton->setEnabled(defaultEnabled);
        QMessageBox *raw = box;
        QPushButton *accept = burnButton;
        connect(box, &QMessageBox::finished, this, [result, raw, accept] {
            result->store(raw->clickedButton() == accept ? 1 : 0);
        });
        m_alert = box;
        box->open();
    };
    onMainThreadAndWait(show);
    while (result->load() == -1) {
        if (m_isCancelled) {
            onMainThreadAndWait([&] {
                if (box)
                    box->reject();
            });
            result->store(0);
            break;
        }
        if (update) {
            const AlertUpdate now = update();
            onMainThreadAndWait([&] {
                if (!box)
                    return;
                box->setInformativeText(now.informativeText);
                if (burnButton)
                    burnButton->setEnabled(now.defaultEnabled);
            });
        }
        for (int i = 0; i < 10 && result->load() == -1 && !m_isCancelled; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return result->load() == 1;
}

void ConvertProgressWindowController::selectOutputDVDFile(const QString &path)
{
    DW_ASSERT_MAIN_THREAD(return);
    if (!QFileInfo::exists(path))
        return;
    FileManagerExtention::touchFile(path);
    Workspace::shared().selectFile(path);
}

void ConvertProgressWindowController::removeDVDTempFile()
{
    if (!m_tempWorkPath.isEmpty())
        QDir(m_tempWorkPath).removeRecursively();
}
