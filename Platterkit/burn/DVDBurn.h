#pragma once

#include "Platterkit/burn/DVDBurnDevice.h"
#include "Platterkit/burn/DVDBurnProgress.h"
#include "Platterkit/burn/DVDBurnRecorder.h"
#include "Platterkit/tools/DVDMakeTask.h"

#include <QMutex>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <atomic>
#include <functional>

/**
 * The disc burner, the last step of a production: it offers the writers that can write DVDs, holds
 * the burn object of the chosen one, answers what disc is in it, burns an image file and follows the
 * run to a finished or failed state with one smooth progress fraction. It answers the production
 * step messages `cancel` and `progress`, so the pipeline can hold it like any other step.
 *
 * A DVDBurn lives on the main thread, which must run an event loop: the drive's status is polled
 * there by a timer and delivered to burnStatusChangedNotification. prepareForBurn and burnISOPath
 * may be called from another thread; they run on the main thread while the caller waits.
 * isFinished, isFailed, isDeviceFree, burnFileSize and cancel may be called from any thread; the rest
 * belongs to the main thread. One DVDBurn serves a whole production of several copies.
 */
class DVDBurn : public QObject, public DVDMakeTask
{
    Q_OBJECT
public:
    // How often the drive's status is polled while a burn runs.
    static constexpr int StatusPollIntervalMs = 200;

    Q_INVOKABLE DVDBurn();
    ~DVDBurn() override;

    // The burn object of the selected writer; null when no valid writer is selected.
    DVDBurnRecorderRef burn() const { return m_burn; }
    // The last status delivered for the current burn object, also after the run ended.
    QVariantMap status() const;
    // 0 while idle or burning, 1 finished, 2 failed (DVDBurnState).
    int state() const { return m_state; }
    bool allowVerify() const { return m_progress.allowVerify(); }
    // Reads the disc back after writing and compares it with the image; also weighs progress.
    void setAllowVerify(bool allow) { m_progress.setAllowVerify(allow); }
    double writeProgress() const { return m_progress.writeProgress(); }
    double verifyingProgress() const { return m_progress.verifyingProgress(); }
    // When closing the session was first seen, in seconds of the burner's clock; 0 until then.
    double writeDiscStartTime() const { return m_progress.writeDiscStartTime(); }
    // Bytes of the image being burned; 0 when no burn was started.
    qint64 burnFileSize() const { return m_burnFileSize; }

    // Every connected writer that writes DVDs, in the scan's order (pseudo-drives last).
    QList<DVDBurnDeviceRef> devices() const;
    DVDBurnDeviceRef device() const;
    // Selects a writer: a new burn object for it when it is valid, else none. The drive of the
    // previous burn object is let go first.
    void setDevice(const DVDBurnDeviceRef &device);
    bool isValid() const;

    // Gets ready for a new burn (of the next copy): progress back to zero, a fresh burn object for
    // the same writer (none when the writer has gone), state 0.
    Q_INVOKABLE void prepareForBurn();
    // Starts burning the image file. Returns false and starts nothing when there is no writer, the
    // image cannot be burned (missing, empty, unreadable) or the disc cannot take it; lastError()
    // says why. The run's outcome then shows in isFinished / isFailed.
    Q_INVOKABLE bool burnISOPath(const QString &imagePath);
    // Stops a running burn; it then ends as failed.
    Q_INVOKABLE void cancel() override;
    // The weighted progress of the run, 0 to 1. Each call also records the phase fractions and when
    // closing began (writeProgress, verifyingProgress, writeDiscStartTime), so it belongs to the
    // main thread, like the status it reads.
    Q_INVOKABLE double progress() const override;
    Q_INVOKABLE bool isFinished() const { return m_state == 1; }
    Q_INVOKABLE bool isFailed() const { return m_state == 2; }
    Q_INVOKABLE bool isDeviceFree() const { return m_state == 0; }

    // The disc in the selected writer; 0 or false without a writer.
    qint64 mediaFreeSpace() const;
    qint64 mediaUsedSpace() const;
    qint64 mediaOverWritableSpace() const;
    qint64 mediaWritableSpace() const;
    bool mediaIsPresent() const;
    bool mediaIsBlank() const;
    // Whether the system is one whose burner needed blank-or-overwrite handling; no system this
    // runs on is, so always false.
    static bool isOSMountainLionOrBefore();
    // A file's size in bytes; 0 when it has none (missing, or not a file).
    static qint64 fileSizeForFile(const QString &path);

    // Takes one status of a burn object. Statuses of any burn object but the current one are
    // ignored; a finished or failed run keeps its state.
    void burnStatusChangedNotification(const DVDBurnRecorder *sender, const QVariantMap &info);
    // Why the last burn could not start or failed.
    QString lastError() const;

    // Replaces the clock that times the session-closing phase (seconds, only moving forward).
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }

private:
    void pollBurnStatus();
    template <class Function> auto onOwnThread(Function function);

    DVDBurnRecorderRef m_burn;
    // Guards m_burn against cancel() from another thread; the main thread alone replaces it.
    QMutex m_burnMutex;
    mutable QMutex m_statusMutex;
    QVariantMap m_status;
    std::atomic<int> m_state = 0;
    std::atomic<qint64> m_burnFileSize = 0;
    // Brought up to date by every progress() call.
    mutable DVDBurnProgress m_progress;
    QTimer m_pollTimer;
    std::function<double()> m_clock;
    mutable QMutex m_errorMutex;
    QString m_lastError;
};
