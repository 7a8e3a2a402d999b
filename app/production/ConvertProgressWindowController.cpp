#include "app/production/ConvertProgressWindowController.h"

#include "Platterkit/burn/DVDBurn.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/production/ProductionDialogue.h"
#include "app/production/ProductionLog.h"
#include "app/production/WorkFolder.h"
#include "app/production/WorkFolderRecord.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

using Discwright::lcProduction;

namespace {

QString localized(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

// How often the insert-disc alert reads the drive again.
constexpr int alertRefreshMs = 1000;

} // namespace

ConvertProgressWindowController::ConvertProgressWindowController(QObject *parent)
    : QObject(parent)
{
    m_progressTimer.setInterval(ProgressIntervalMs);
    connect(&m_progressTimer,
            &QTimer::timeout,
            this,
            &ConvertProgressWindowController::updateBurnProgress);
}

ConvertProgressWindowController::~ConvertProgressWindowController()
{
    if (m_production.joinable()) {
        cancel();
        m_production.join();
        removeDVDTempFile();
    }
}

void ConvertProgressWindowController::setPresenter(
    std::shared_ptr<ConvertProgressPresenter> presenter)
{
    m_presenter = std::move(presenter);
}

void ConvertProgressWindowController::setConversionFactory(
    BurnDVDWorkflow::ConversionFactory factory)
{
    m_conversionFactory = std::move(factory);
}

void ConvertProgressWindowController::setWorkflowTiming(const BurnDVDWorkflow::Timing &timing)
{
    m_timing = timing;
}

void ConvertProgressWindowController::setBurnDVDTimes(int times)
{
    m_burnDVDTimes = std::clamp(times, 1, 999);
}

void ConvertProgressWindowController::setTempWorkPath(const QString &path)
{
    m_requestedTempPath = path;
}

QString ConvertProgressWindowController::tempDVDPathName(const QString &folder,
                                                         const QString &name,
                                                         const QString &extension)
{
    return QStringLiteral("%1/%2.%3").arg(folder, name, extension);
}

ConvertProgressWindowController::DiscReadiness ConvertProgressWindowController::discReadiness(
    bool present, bool blank, qint64 writableBytes, qint64 imageBytes)
{
    if (!present)
        return {localized("Please insert other blank DVD ."), false};
    if (!blank)
        return {localized("The DVD isn’t blank DVD ,  please insert a blank DVD ."), false};
    if (writableBytes <= imageBytes)
        return {localized("The DVD space not enough , please insert other DVD ."), false};
    return {localized("Ready to Burn"), true};
}

bool ConvertProgressWindowController::makeDVDTempDir(QString *error)
{
    // A marked work folder that an interrupted run left at the same place goes first.
    if (!m_requestedTempPath.isEmpty())
        Discwright::WorkFolderRecord::removeMarkedLeftovers(m_requestedTempPath);
    m_madeTempPath = Discwright::WorkFolder::makeFreshOrTemporary(
        m_requestedTempPath, QStringLiteral("burn-dvd-progress"), QStringLiteral("dir"), error);
    if (!m_madeTempPath.isEmpty() && !Discwright::WorkFolderRecord::record(m_madeTempPath, error)) {
        Discwright::WorkFolder::removeItem(m_madeTempPath);
        m_madeTempPath.clear();
    }
    return !m_madeTempPath.isEmpty();
}

void ConvertProgressWindowController::removeDVDTempFile()
{
    if (!m_madeTempPath.isEmpty() && !Discwright::WorkFolder::removeItem(m_madeTempPath))
        qCWarning(lcProduction).noquote() << "cannot remove the temporary folder" << m_madeTempPath;
    if (!m_madeTempPath.isEmpty())
        Discwright::WorkFolderRecord::clear(m_madeTempPath);
}

bool ConvertProgressWindowController::burnMedia(const std::shared_ptr<DVDLibrary> &dvd,
                                                const QString &destination)
{
    return burnDVDWithBlock([this, dvd, destination](BurnDVDWorkflow &workflow) {
        m_currentWeight = 1.0;
        if (!workflow.makeMedia(dvd, destination))
            return stepFailed(workflow, localized("The DVD folder could not be made."));
        selectOutputDVDFile(destination);
        return ProductionResult{ProductionResult::State::Done, QString(), 0};
    });
}

bool ConvertProgressWindowController::burnIsoName(const std::shared_ptr<DVDLibrary> &dvd,
                                                  const QString &destination,
                                                  const QString &name)
{
    return burnDVDWithBlock([this, dvd, destination, name](BurnDVDWorkflow &workflow) {
        const QString media
            = tempDVDPathName(m_madeTempPath, QStringLiteral("dvd"), QStringLiteral("dvdmedia"));
        m_currentWeight = 0.9;
        const bool folderMade = workflow.makeMedia(dvd, media);
        m_progressFinished = m_currentWeight.load();
        m_currentWeight = 0.1;
        if (!folderMade)
            return stepFailed(workflow, localized("The DVD folder could not be made."));
        if (isCancelled() || !workflow.makeIsoName(media, destination, name))
            return stepFailed(workflow, localized("The ISO image could not be made."));
        selectOutputDVDFile(destination);
        return ProductionResult{ProductionResult::State::Done, QString(), 0};
    });
}

bool ConvertProgressWindowController::burnDvdName(const std::shared_ptr<DVDLibrary> &dvd,
                                                  const std::shared_ptr<DVDBurn> &burner,
                                                  const QString &name)
{
    return burnDVDWithBlock([this, dvd, burner, name](BurnDVDWorkflow &workflow) {
        const QString media
            = tempDVDPathName(m_madeTempPath, QStringLiteral("dvd"), QStringLiteral("dvdmedia"));
        const QString image
            = tempDVDPathName(m_madeTempPath, QStringLiteral("dvd"), QStringLiteral("iso"));
        m_currentWeight = 0.5;
        const bool folderMade = workflow.makeMedia(dvd, media);
        m_progressFinished = 0.5;
        m_currentWeight = 0.05;
        if (!folderMade)
            return stepFailed(workflow, localized("The DVD folder could not be made."));
        if (isCancelled() || !workflow.makeIsoName(media, image, name))
            return stepFailed(workflow, localized("The ISO image could not be made."));
        // The folder has served its purpose; the image is all the burns need.
        Discwright::WorkFolder::removeItem(media);
        m_progressFinished = m_progressFinished + m_currentWeight;
        m_currentWeight = 0.45;
        m_burnning = true;
        updateConvertVideoStatus();
        return burnCopies(workflow, burner, image);
    });
}

ProductionResult ConvertProgressWindowController::burnCopies(BurnDVDWorkflow &workflow,
                                                             const std::shared_ptr<DVDBurn> &burner,
                                                             const QString &image)
{
    ProductionResult result{ProductionResult::State::Done, QString(), 0};
    if (isCancelled())
        return {ProductionResult::State::Cancelled, QStringLiteral("cancelled"), 0};
    // The burn's own alerts (space, Retry, the final one) have told the user what went wrong.
    if (!workflow.burnDvd(image, burner)) {
        if (isCancelled())
            return {ProductionResult::State::Cancelled, QStringLiteral("cancelled"), 0};
        return {ProductionResult::State::Failed, workflow.lastError(), 0};
    }
    result.discsBurned = 1;

    DVDBurn *drive = burner.get();
    const qint64 imageBytes = DVDBurn::fileSizeForFile(image);
    // On the burner's thread, when the alert appears and once a second while it is up.
    const auto readiness = [drive, imageBytes] {
        const DiscReadiness now = discReadiness(drive->mediaIsPresent(),
                                                drive->mediaIsBlank(),
                                                drive->mediaWritableSpace(),
                                                imageBytes);
        return ProductionDialogue::Refresh{now.text, now.ready};
    };
    int remaining = m_burnDVDTimes - 1;
    while (!isCancelled() && remaining > 0) {
        const ProductionAlert alert{
            localized("Burn DVD"), QString(), localized("Burn"), localized("Cancel"), false};
        if (m_dialogue->runAlertWindow(alert, readiness, alertRefreshMs)) {
            qCInfo(lcProduction, "burn %d", remaining);
            startNewBar(0.0, 0.99);
            if (workflow.burnDvd(image, burner)) {
                ++result.discsBurned;
            } else if (!isCancelled()) {
                result.state = ProductionResult::State::Failed;
                result.reason = workflow.lastError();
            }
            --remaining;
            continue;
        }
        if (isCancelled())
            break;
        const qint64 answer = m_dialogue->showAlert({localized("Are you sure stop burning DVD ?"),
                                                     QString(),
                                                     localized("YES"),
                                                     localized("NO"),
                                                     true});
        if (answer == BurnDVDWorkflowAlertHelper::DefaultReturn) {
            if (result.state == ProductionResult::State::Done) {
                result.state = ProductionResult::State::Cancelled;
                result.reason = QStringLiteral("%1 of %2 discs burned; the rest were given up")
                                    .arg(result.discsBurned)
                                    .arg(m_burnDVDTimes);
            }
            return result;
        }
    }
    if (isCancelled())
        return {
            ProductionResult::State::Cancelled, QStringLiteral("cancelled"), result.discsBurned};
    return result;
}

void ConvertProgressWindowController::cancel()
{
    DW_ASSERT_MAIN_THREAD();
    m_cancelled = true;
    if (m_workflow)
        m_workflow->cancel();
}

bool ConvertProgressWindowController::burnDVDWithBlock(const Block &block)
{
    DW_ASSERT_MAIN_THREAD(return false);
    if (m_running)
        return false;
    DW_ASSERT(!m_workflow && !m_production.joinable(), return false);
    m_running = true;
    m_cancelled = false;
    m_progressFinished = 0.0;
    m_currentWeight = 0.0;
    m_burnning = false;
    m_barNumber = 0;
    m_shownBar = 0;
    m_progress = 0.0;
    m_madeTempPath.clear();
    m_dialogue
        = std::make_unique<ProductionDialogue>(this, m_presenter, [this] { return isCancelled(); });

    QString error;
    if (!makeDVDTempDir(&error)) {
        // Told like any failure, and ended after the caller's return like any run.
        auto helper = std::make_shared<BurnDVDWorkflowAlertHelper>();
        if (m_presenter)
            m_presenter->openAlert(
                {localized("The DVD folder could not be made."), error, localized("OK"), {}, true},
                helper);
        const ProductionResult result{ProductionResult::State::Failed, error, 0};
        platform::postToMainThread(this, [this, result] { endRun(result); });
        return true;
    }

    auto workflow = std::make_shared<BurnDVDWorkflow>();
    workflow->setTempWorkPath(
        tempDVDPathName(m_madeTempPath, QStringLiteral("dvd-flow"), QStringLiteral("dir")));
    workflow->setPresenter(m_presenter);
    if (m_conversionFactory)
        workflow->setConversionFactory(m_conversionFactory);
    workflow->setTiming(m_timing);
    m_workflow = workflow;

    updateConvertVideoStatus();
    if (m_presenter)
        m_presenter->openProgressWindow();
    m_progressTimer.start();
    updateBurnProgress();

    // The workflow is released on the main thread, after the thread has ended.
    m_production = std::thread([this, block, workflow = workflow.get()] {
        const ProductionResult result = block(*workflow);
        // After everything the run showed before: the reveal, the last alerts.
        platform::postToMainThread(this, [this, result] { endRun(result); });
    });
    return true;
}

void ConvertProgressWindowController::endRun(const ProductionResult &result)
{
    DW_ASSERT_MAIN_THREAD(return );
    // The thread has nothing left to do but return.
    if (m_production.joinable())
        m_production.join();
    if (m_presenter && m_workflow)
        m_presenter->closeProgressWindow();
    m_progressTimer.stop();
    m_workflow.reset();
    m_dialogue.reset();
    removeDVDTempFile();
    m_running = false;
    m_lastResult = result;
    qCDebug(lcProduction) << "run ended" << int(result.state) << result.reason;
    emit finished(result);
    for (const auto &then : std::exchange(m_afterRun, {}))
        then();
}

void ConvertProgressWindowController::cancelThen(std::function<void()> then)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_running) {
        if (then)
            then();
        return;
    }
    if (then)
        m_afterRun.push_back(std::move(then));
    cancel();
}

void ConvertProgressWindowController::startNewBar(double finished, double weight)
{
    m_progressFinished = finished;
    m_currentWeight = weight;
    ++m_barNumber;
}

void ConvertProgressWindowController::updateBurnProgress()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_workflow)
        return;
    double value = m_progressFinished.load() + m_workflow->progress() * m_currentWeight.load();
    value = std::clamp(value, 0.0, MaximumProgress);
    // Within one bar the value only rises: a step's own fraction may fall back between its
    // sub-steps. A further copy starts a fresh bar.
    const int bar = m_barNumber.load();
    if (bar == m_shownBar)
        value = std::max(value, m_progress);
    m_shownBar = bar;
    m_progress = value;
    if (m_presenter)
        m_presenter->showProgress(value);
}

void ConvertProgressWindowController::updateConvertVideoStatus()
{
    m_dialogue->post([this] {
        const QString step = isBurnningDVD() ? localized("Burn DVD") : localized("Convert Video");
        m_status = platform::localizedString(QStringLiteral("%@ ..."), {step});
        if (m_presenter)
            m_presenter->showStatus(m_status);
    });
}

void ConvertProgressWindowController::selectOutputDVDFile(const QString &path)
{
    m_dialogue->post([this, path] {
        if (!QFileInfo::exists(path))
            return;
        FileManagerExtention::touchFile(path);
        if (m_presenter) {
            m_presenter->revealFile(path);
            m_presenter->showRateApplicationWindow();
        }
    });
}

ProductionResult ConvertProgressWindowController::failed(const QString &message,
                                                         const QString &reason)
{
    m_dialogue->showAlert({message, reason, localized("OK"), QString(), true});
    return {ProductionResult::State::Failed, reason, 0};
}

ProductionResult ConvertProgressWindowController::stepFailed(BurnDVDWorkflow &workflow,
                                                             const QString &message)
{
    if (isCancelled() || workflow.isCancelled())
        return {ProductionResult::State::Cancelled, QStringLiteral("cancelled"), 0};
    return failed(message, workflow.lastError());
}
