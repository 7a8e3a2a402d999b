#include "app/production/BurnDVDWorkflow.h"

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/production/MainThreadCall.h"
#include "app/production/ProductionLog.h"
#include "app/production/WorkFolder.h"
#include "platform/StringTable.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <algorithm>
#include <chrono>

using Discwright::lcProduction;
using Discwright::detail::callOnThreadOf;

namespace {

QString localized(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

// The conversion and dvdauthor shares of the folder step's scale.
constexpr double conversionLength = 90.0;
constexpr double authoringLength = 10.0;
// An ISO volume name holds 32 bytes.
constexpr int volumeNameBytes = 32;
// How often a wait looks whether the burn ended or the sheet was answered.
constexpr int waitSliceMs = 50;

} // namespace

BurnDVDWorkflow::BurnDVDWorkflow(QObject *parent)
    : QObject(parent)
{}

BurnDVDWorkflow::~BurnDVDWorkflow() = default;

void BurnDVDWorkflow::setConversionFactory(ConversionFactory factory)
{
    m_conversionFactory = std::move(factory);
}

void BurnDVDWorkflow::setPresenter(std::shared_ptr<ConvertProgressPresenter> presenter)
{
    m_presenter = std::move(presenter);
}

void BurnDVDWorkflow::setTiming(const Timing &timing)
{
    m_timing = timing;
}

void BurnDVDWorkflow::setTempWorkPath(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_tempWorkPath = path;
}

QString BurnDVDWorkflow::tempWorkPath() const
{
    QMutexLocker locker(&m_lock);
    return m_tempWorkPath;
}

QString BurnDVDWorkflow::workPath()
{
    QString preferred = tempWorkPath();
    if (preferred.isEmpty()) {
        // A unique name of the shared fallback folder; the placeholder file goes so that the name
        // can become a folder. Other runs' folders beside it are theirs.
        preferred = FileManagerExtention::tempFilePath(QStringLiteral("tessary-temp"),
                                                       QStringLiteral("dir"));
        if (preferred.isEmpty()) {
            setLastError(QStringLiteral("no temporary work folder can be made"));
            return {};
        }
        QFile::remove(preferred);
    }
    QString error;
    const QString path = Discwright::WorkFolder::makeFresh(preferred, &error);
    if (path.isEmpty())
        setLastError(error);
    return path;
}

bool BurnDVDWorkflow::makeMedia(const std::shared_ptr<DVDLibrary> &dvd, const QString &destination)
{
    setLastError(QString());
    m_convertedLength = 0.0;
    m_convertingLength = 0.0;
    const QString work = workPath();
    if (work.isEmpty())
        return false;
    qCDebug(lcProduction).noquote() << "folder step in" << work << "for" << destination;

    bool ok = true;
    const std::shared_ptr<DVDVideoConversion> conversion
        = m_conversionFactory ? m_conversionFactory() : nullptr;
    if (!conversion) {
        setLastError(QStringLiteral("there is no conversion step for the titles and menus"));
        ok = false;
    } else if (!isCancelled()) {
        // The task is in place before the cancel flag is read again, so a cancel either finds the
        // task or is seen here.
        setTask(conversion);
        m_convertingLength = conversionLength;
        if (isCancelled())
            conversion->cancel();
        conversion->makeDVDVideo(dvd, work);
        setTask(nullptr);
        if (!conversion->succeeded() && !isCancelled()) {
            setLastError(conversion->lastError().isEmpty()
                             ? QStringLiteral("the titles and menus could not be converted")
                             : conversion->lastError());
            ok = false;
        }
    }
    m_convertedLength = m_convertedLength + m_convertingLength;

    if (ok && !isCancelled()) {
        auto authoring = std::make_shared<DVDFSMake>();
        authoring->dvdWork(dvd, work);
        setTask(authoring);
        m_convertingLength = authoringLength;
        if (isCancelled())
            authoring->cancel();
        authoring->start();
        setTask(nullptr);
        if (!authoring->succeeded() && !isCancelled()) {
            setLastError(QStringLiteral("dvdauthor failed: %1").arg(authoring->lastError()));
            ok = false;
        }
    }

    if (ok && !isCancelled()) {
        QString error;
        if (!Discwright::WorkFolder::moveReplacing(
                QDir(work).filePath(QStringLiteral("dvd.dvdmedia")), destination, &error)) {
            setLastError(error);
            ok = false;
        }
    }
    if (!Discwright::WorkFolder::removeItem(work))
        qCWarning(lcProduction).noquote() << "cannot remove the work folder" << work;
    if (isCancelled()) {
        setLastError(QStringLiteral("cancelled"));
        return false;
    }
    if (!ok)
        qCWarning(lcProduction).noquote() << "the DVD folder was not made:" << lastError();
    return ok;
}

bool BurnDVDWorkflow::makeIsoName(const QString &input,
                                  const QString &destination,
                                  const QString &name)
{
    setLastError(QString());
    m_convertedLength = 0.0;
    m_convertingLength = 0.0;
    const QString work = workPath();
    if (work.isEmpty())
        return false;

    auto imaging = std::make_shared<DVDImageMake>();
    imaging->setInputPath(input);
    imaging->volumeWork(volumeNameForName(name), work);
    setTask(imaging);
    m_convertingLength = TotalLength;
    if (isCancelled())
        imaging->cancel();
    imaging->start();
    setTask(nullptr);
    m_convertedLength = m_convertedLength + TotalLength;

    bool ok = imaging->succeeded();
    if (!ok)
        setLastError(QStringLiteral("mkisofs failed: %1").arg(imaging->lastError()));
    if (ok) {
        QString error;
        if (!Discwright::WorkFolder::moveReplacing(
                QDir(work).filePath(QStringLiteral("dvd.iso")), destination, &error)) {
            setLastError(error);
            ok = false;
        }
    }
    if (!Discwright::WorkFolder::removeItem(work))
        qCWarning(lcProduction).noquote() << "cannot remove the work folder" << work;
    if (isCancelled()) {
        setLastError(QStringLiteral("cancelled"));
        return false;
    }
    if (!ok)
        qCWarning(lcProduction).noquote() << "the ISO image was not made:" << lastError();
    return ok;
}

bool BurnDVDWorkflow::burnDvd(const QString &isoPath, const std::shared_ptr<DVDBurn> &burner)
{
    setLastError(QString());
    m_burnSuccess = false;
    if (!burner) {
        setLastError(QStringLiteral("there is no burner"));
        return false;
    }
    setTask(burner);
    m_convertedLength = 0.0;
    m_convertingLength = TotalLength;
    const bool burned = runBurnLoop(isoPath, burner);
    setTask(nullptr);
    m_convertedLength = m_convertedLength + m_convertingLength;
    return burned;
}

bool BurnDVDWorkflow::runBurnLoop(const QString &isoPath, const std::shared_ptr<DVDBurn> &burner)
{
    DVDBurn *drive = burner.get();
    const qint64 imageSize = DVDBurn::fileSizeForFile(isoPath);
    // The burner's disc questions belong to its thread, where its status is polled.
    bool burnable
        = callOnThreadOf(drive, [drive] { return drive->mediaWritableSpace(); }) > imageSize;
    if (!burnable) {
        setLastError(localized("DVD Disc space is not enough."));
        showAlert({localized("DVD Disc space is not enough."),
                   localized("you can remove some video and try again."),
                   localized("OK"),
                   QString(),
                   true});
    }
    callOnThreadOf(drive, [drive] { drive->prepareForBurn(); });

    while (burnable) {
        pause(m_timing.burnPauseMs);
        // A cancel that came before the burn started must not let it start: the burner forgets
        // a cancel when a new burn begins.
        const bool started = !isCancelled() && callOnThreadOf(drive, [drive, isoPath] {
            return drive->burnISOPath(isoPath);
        });
        if (started) {
            if (isCancelled())
                drive->cancel();
            waitForBurnEnd(burner);
        }

        if (drive->isFailed() && !isCancelled()) {
            callOnThreadOf(drive, [drive] { drive->prepareForBurn(); });
            QString status;
            QDebug(&status).nospace().noquote() << burner->status();
            qCWarning(lcProduction, "failed:%s", qUtf8Printable(status));
            if (askRetry(burner, imageSize))
                continue;
            burnable = false;
            setLastError(isCancelled() ? QStringLiteral("cancelled") : localized("Burn Failed"));
            break;
        }

        m_burnSuccess = drive->isFinished();
        burnable = false;
        if (burnSuccess()) {
            showAlert({localized("DVD Burn Success"), QString(), localized("OK"), QString(), true});
            if (m_presenter) {
                callOnThreadOf(this, [this] { m_presenter->showRateApplicationWindow(); });
            }
        } else if (started || isCancelled()) {
            // A cancelled run did not fail for the image's sake.
            setLastError(isCancelled() ? QStringLiteral("cancelled") : drive->lastError());
            showAlert({localized("DVD Burn Failed"), QString(), localized("OK"), QString(), true});
        } else {
            setLastError(drive->lastError());
            showAlert({localized("DVD Burn Failed"),
                       localized("ISO File Error"),
                       localized("OK"),
                       QString(),
                       true});
        }
    }
    if (!burnSuccess() && lastError().isEmpty())
        setLastError(QStringLiteral("the disc was not burned"));
    return burnSuccess();
}

void BurnDVDWorkflow::waitForBurnEnd(const std::shared_ptr<DVDBurn> &burner)
{
    QElapsedTimer sinceLog;
    bool logged = false;
    while (!burner->isFinished() && !burner->isFailed()) {
        if (!logged || sinceLog.elapsed() >= m_timing.statusLogIntervalMs) {
            QString status;
            QDebug(&status).nospace().noquote() << burner->status();
            qCInfo(lcProduction, "%s", qUtf8Printable(status));
            sinceLog.start();
            logged = true;
        }
        // A cancel only asks the burner to stop; the burn still ends through its failed state.
        std::unique_lock lock(m_wakeLock);
        m_wake.wait_for(lock, std::chrono::milliseconds(waitSliceMs));
    }
}

bool BurnDVDWorkflow::askRetry(const std::shared_ptr<DVDBurn> &burner, qint64 imageSize)
{
    DVDBurn *drive = burner.get();
    const ProductionAlert sheet{localized("Burn Failed"),
                                localized("It maybe caused by the DVD Disc or the DVD Driver. You "
                                          "can insert a blank disc and try "
                                          "again."),
                                localized("Retry"),
                                localized("Cancel"),
                                false};
    const auto helper = std::make_shared<BurnDVDWorkflowAlertHelper>();
    if (!m_presenter) {
        qCWarning(lcProduction) << "a failed burn with nobody to ask: not retried";
        return false;
    }
    QMetaObject::invokeMethod(
        this,
        [this, sheet, helper] { m_presenter->beginAlert(sheet, helper); },
        Qt::QueuedConnection);
    while (!helper->alertReturn()) {
        if (isCancelled()) {
            callOnThreadOf(this, [this, helper] { m_presenter->dismissAlert(helper); });
            helper->alertDidEnd(BurnDVDWorkflowAlertHelper::AlternateReturn);
            break;
        }
        const bool ready = callOnThreadOf(drive, [drive, imageSize] {
            return drive->mediaIsBlank() && drive->mediaWritableSpace() > imageSize;
        });
        callOnThreadOf(this, [this, helper, text = sheet.informativeText, ready] {
            if (!helper->alertReturn())
                m_presenter->updateAlert(helper, text, ready);
        });
        QElapsedTimer waited;
        waited.start();
        while (!helper->alertReturn() && !isCancelled()
               && waited.elapsed() < m_timing.alertPollIntervalMs)
            pause(waitSliceMs);
    }
    return helper->returnCode() == BurnDVDWorkflowAlertHelper::DefaultReturn && !isCancelled();
}

double BurnDVDWorkflow::progress() const
{
    const std::shared_ptr<DVDMakeTask> running = task();
    const double fraction = running ? running->progress() : 0.0;
    const double value = (m_convertedLength.load() + m_convertingLength.load() * fraction)
                         / std::max(TotalLength, 1.0);
    return std::min(value, MaximumProgress);
}

void BurnDVDWorkflow::cancel()
{
    m_cancelled = true;
    if (const std::shared_ptr<DVDMakeTask> running = task())
        running->cancel();
    m_wake.notify_all();
}

QString BurnDVDWorkflow::lastError() const
{
    QMutexLocker locker(&m_lock);
    return m_lastError;
}

std::shared_ptr<DVDMakeTask> BurnDVDWorkflow::task() const
{
    QMutexLocker locker(&m_lock);
    return m_task;
}

void BurnDVDWorkflow::setTask(const std::shared_ptr<DVDMakeTask> &task)
{
    QMutexLocker locker(&m_lock);
    m_task = task;
}

void BurnDVDWorkflow::setLastError(const QString &error)
{
    QMutexLocker locker(&m_lock);
    m_lastError = error;
}

bool BurnDVDWorkflow::pause(int ms)
{
    std::unique_lock lock(m_wakeLock);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return isCancelled(); });
    return !isCancelled();
}

qint64 BurnDVDWorkflow::showAlert(const ProductionAlert &alert)
{
    if (!m_presenter) {
        qCWarning(lcProduction).noquote() << "alert:" << alert.message << alert.informativeText;
        return BurnDVDWorkflowAlertHelper::DefaultReturn;
    }
    return callOnThreadOf(this, [this, &alert] { return m_presenter->runAlert(alert); });
}

QString BurnDVDWorkflow::volumeNameForName(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("My DVD");
    QString clean;
    for (const QChar c : name)
        clean.append(c.category() == QChar::Other_Control ? QChar(u'_') : c);
    // Cut at a whole character (surrogate pairs stay together).
    while (clean.toUtf8().size() > volumeNameBytes) {
        clean.chop(1);
        if (!clean.isEmpty() && clean.back().isHighSurrogate())
            clean.chop(1);
    }
    return clean;
}
