#include "app/production/BurnDVDWorkflow.h"

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/production/MakeDVDVideo.h"
#include "app/production/ProductionDialogue.h"
#include "app/production/ProductionLog.h"
#include "app/production/WorkFolder.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>

using Discwright::lcProduction;

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

// The conversion of the application: every title and menu page through MakeDVDVideo.
class TitleAndMenuConversion : public DVDVideoConversion
{
public:
    void makeDVDVideo(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath) override
    {
        m_succeeded = m_make.makeDVDVideoTo(dvd, workPath);
    }
    bool succeeded() const override { return m_succeeded.load(); }
    QString lastError() const override { return m_make.lastError(); }
    void cancel() override { m_make.cancel(); }
    double progress() const override { return m_make.progress(); }

private:
    MakeDVDVideo m_make;
    std::atomic<bool> m_succeeded{false};
};

} // namespace

BurnDVDWorkflow::BurnDVDWorkflow(QObject *parent)
    : QObject(parent)
    , m_conversionFactory([] { return std::make_shared<TitleAndMenuConversion>(); })
{
    setPresenter(nullptr);
}

BurnDVDWorkflow::~BurnDVDWorkflow() = default;

void BurnDVDWorkflow::setConversionFactory(ConversionFactory factory)
{
    m_conversionFactory = std::move(factory);
}

void BurnDVDWorkflow::setPresenter(std::shared_ptr<ConvertProgressPresenter> presenter)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_presenter = presenter;
    m_dialogue = std::make_unique<ProductionDialogue>(
        this, std::move(presenter), [this] { return isCancelled(); });
}

void BurnDVDWorkflow::setTiming(const Timing &timing)
{
    m_timing = timing;
}

void BurnDVDWorkflow::setTempWorkPath(const QString &path)
{
    std::lock_guard locker(m_lock);
    m_tempWorkPath = path;
}

QString BurnDVDWorkflow::tempWorkPath() const
{
    std::lock_guard locker(m_lock);
    return m_tempWorkPath;
}

QString BurnDVDWorkflow::workPath()
{
    QString error;
    const QString path = Discwright::WorkFolder::makeFreshOrTemporary(
        tempWorkPath(), QStringLiteral("tessary-temp"), QStringLiteral("dir"), &error);
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

    return finishStep(work, QStringLiteral("dvd.dvdmedia"), destination, ok, "the DVD folder");
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

    const bool ok = imaging->succeeded();
    if (!ok)
        setLastError(QStringLiteral("mkisofs failed: %1").arg(imaging->lastError()));
    return finishStep(work, QStringLiteral("dvd.iso"), destination, ok, "the ISO image");
}

bool BurnDVDWorkflow::finishStep(const QString &work,
                                 const QString &resultName,
                                 const QString &destination,
                                 bool ok,
                                 const char *what)
{
    if (ok && !isCancelled()) {
        QString error;
        if (!Discwright::WorkFolder::moveIntoPlace(
                QDir(work).filePath(resultName), destination, &error)) {
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
        qCWarning(lcProduction).noquote() << what << "was not made:" << lastError();
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
    const auto space = m_dialogue->ask([drive] { return drive->mediaWritableSpace(); });
    if (!space) {
        setLastError(QStringLiteral("cancelled"));
        return false;
    }
    bool burnable = *space > imageSize;
    if (!burnable) {
        setLastError(localized("DVD Disc space is not enough."));
        showAlert({localized("DVD Disc space is not enough."),
                   localized("you can remove some video and try again."),
                   localized("OK"),
                   QString(),
                   true});
    }
    m_dialogue->ask([drive] {
        drive->prepareForBurn();
        return true;
    });

    while (burnable) {
        pause(m_timing.burnPauseMs);
        // A cancel that came before the burn started must not let it start: the burner forgets
        // a cancel when a new burn begins.
        // Asked on the burner's thread only while the run goes on, so a cancel that comes before
        // the burn is taken up there keeps it from starting.
        const bool started
            = !isCancelled()
              && m_dialogue->ask([drive, isoPath] { return drive->burnISOPath(isoPath); })
                     .value_or(false);
        if (started) {
            if (isCancelled())
                burner->cancel();
            waitForBurnEnd(burner);
        }

        if (drive->isFailed() && !isCancelled()) {
            m_dialogue->ask([drive] {
                drive->prepareForBurn();
                return true;
            });
            qCWarning(lcProduction, "failed:%s", qUtf8Printable(statusText(burner)));
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
            if (m_presenter)
                m_dialogue->post(
                    [presenter = m_presenter] { presenter->showRateApplicationWindow(); });
        } else if (started || isCancelled()) {
            // A cancelled run did not fail for the image's sake.
            setLastError(isCancelled() ? QStringLiteral("cancelled") : burnerError(burner));
            showAlert({localized("DVD Burn Failed"), QString(), localized("OK"), QString(), true});
        } else {
            setLastError(burnerError(burner));
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

QString BurnDVDWorkflow::statusText(const std::shared_ptr<DVDBurn> &burner)
{
    return m_dialogue
        ->ask([burner] {
            QString text;
            QDebug(&text).nospace().noquote() << burner->status();
            return text;
        })
        .value_or(QString());
}

QString BurnDVDWorkflow::burnerError(const std::shared_ptr<DVDBurn> &burner)
{
    return m_dialogue->ask([burner] { return burner->lastError(); }).value_or(QString());
}

void BurnDVDWorkflow::waitForBurnEnd(const std::shared_ptr<DVDBurn> &burner)
{
    QElapsedTimer sinceLog;
    bool logged = false;
    while (!burner->isFinished() && !burner->isFailed()) {
        if (!logged || sinceLog.elapsed() >= m_timing.statusLogIntervalMs) {
            qCInfo(lcProduction, "%s", qUtf8Printable(statusText(burner)));
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
    if (!m_presenter) {
        qCWarning(lcProduction) << "a failed burn with nobody to ask: not retried";
        return false;
    }
    // On the burner's thread, when the sheet appears and at every refresh.
    const auto readiness = [drive, imageSize, text = sheet.informativeText] {
        return ProductionDialogue::Refresh{
            text, drive->mediaIsBlank() && drive->mediaWritableSpace() > imageSize};
    };
    return m_dialogue->runAlertWindow(sheet, readiness, m_timing.alertPollIntervalMs);
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
    std::lock_guard locker(m_lock);
    return m_lastError;
}

std::shared_ptr<DVDMakeTask> BurnDVDWorkflow::task() const
{
    std::lock_guard locker(m_lock);
    return m_task;
}

void BurnDVDWorkflow::setTask(const std::shared_ptr<DVDMakeTask> &task)
{
    std::lock_guard locker(m_lock);
    m_task = task;
}

void BurnDVDWorkflow::setLastError(const QString &error)
{
    std::lock_guard locker(m_lock);
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
    return m_dialogue->showAlert(alert);
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
