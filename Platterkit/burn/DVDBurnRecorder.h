#pragma once

#include "Platterkit/burn/DVDBurnDevice.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <atomic>
#include <memory>
#include <thread>

// libburn declares its C interface inside this namespace when compiled as C++.
namespace burn {
struct burn_disc;
struct burn_drive;
struct burn_drive_info;
} // namespace burn

class DVDBurnRecorder;
using DVDBurnRecorderRef = std::shared_ptr<DVDBurnRecorder>;

/**
 * The burn object for one writer: it holds the drive (no other program or burn object can use it
 * meanwhile), answers what disc is in it, and runs one burn of an image file at a time. libburn
 * writes on a thread of its own; the recorder learns how the run goes only when pollStatus() asks,
 * so nothing arrives behind the owner's back. When asked, it reads the disc back after writing and
 * compares it with the image, since libburn itself does not verify.
 *
 * Owned by DVDBurn and used on its thread; abort() may be called from any thread. Releasing the
 * recorder (or destroying it) stops a running burn first and then lets the drive go.
 */
class DVDBurnRecorder
{
public:
    // Burn property keys (booleans). Verify: read the disc back after writing and compare it with
    // the image. Overwrite: write over a disc that is not blank, from its start.
    static const QString VerifyDiscKey;
    static const QString OverwriteDiscKey;

    // Takes hold of the device's drive; null when it is not valid or cannot be held (in use by
    // another burn object, missing, or libburn unavailable).
    static DVDBurnRecorderRef burnForDevice(const DVDBurnDeviceRef &device);
    ~DVDBurnRecorder();
    DVDBurnRecorder(const DVDBurnRecorder &) = delete;
    DVDBurnRecorder &operator=(const DVDBurnRecorder &) = delete;

    DVDBurnDeviceRef device() const { return m_device; }
    // Whether the drive is still held (release() not called).
    bool isHeld() const { return m_drive != nullptr; }
    // Stops a running burn, waits for libburn to let go of the drive, and releases it.
    void release();

    QVariantMap properties() const { return m_properties; }
    // Replaces the properties whole; they apply to the next burn.
    void setProperties(const QVariantMap &properties) { m_properties = properties; }

    // Media in the drive. While a burn runs these are the answers from just before it started.
    bool mediaIsPresent();
    bool mediaIsBlank();
    bool mediaIsOverwritable();
    quint32 mediaSpaceFree();
    quint32 mediaSpaceUsed();
    quint32 mediaSpaceOverwritable();

    // Starts writing the image file. Returns false, with lastError() saying why, when nothing
    // could be started: no drive, a burn already running, an image that is not a non-empty readable
    // file, a disc that cannot be written, or too little space on it.
    bool writeImageFile(const QString &imagePath);
    bool isBusy() const { return m_run == Run::Writing || m_run == Run::Verifying; }
    // The run's status now (see DVDBurnStatus); after the run, its final status again and again;
    // empty before any run. Also moves the run on: a finished write starts the verification.
    QVariantMap pollStatus();
    // Stops the running burn; the run then ends as failed. Safe from any thread and when idle.
    void abort();
    QString lastError() const;

private:
    enum class Run { None, Writing, Verifying, Ended };
    struct Media
    {
        int status = 0;
        bool overwritable = false;
        quint32 freeSectors = 0;
        quint32 usedSectors = 0;
    };

    DVDBurnRecorder(DVDBurnDeviceRef device, burn::burn_drive_info *info);
    const Media &media();
    void refreshMedia();
    // A pseudo-drive's disc as its options present it (capacity, written once).
    void applyPseudoDriveOptions(Media &media) const;
    QVariantMap endRun(const QString &phase, const QString &error);
    bool writerThreadEnded() const;
    void verifyDisc(QString imagePath, qint64 size);
    void setLastError(const QString &error);

    DVDBurnDeviceRef m_device;
    burn::burn_drive_info *m_info = nullptr;
    burn::burn_drive *m_drive = nullptr;
    QVariantMap m_properties;
    Media m_media;

    // Read by abort() on any thread.
    std::atomic<Run> m_run = Run::None;
    burn::burn_disc *m_disc = nullptr;
    QString m_imagePath;
    qint64 m_imageSize = 0;
    bool m_verify = false;
    QVariantMap m_finalStatus;
    // libburn's writer thread outlives the drive's idle state; the run is over only once it ended.
    int m_writeThreadsEndedAtStart = 0;
    bool m_idleSeen = false;
    QElapsedTimer m_idleSince;
    QStringList m_runErrors;
    std::atomic<bool> m_cancelRequested = false;

    // The verification reads on its own thread, since a whole disc takes minutes.
    std::thread m_verifyThread;
    std::atomic<qint64> m_verifiedBytes = 0;
    std::atomic<int> m_verifyOutcome = 0; // 0 running, 1 equal, 2 failed
    QString m_verifyError;                // written by the thread before m_verifyOutcome

    mutable QMutex m_errorMutex;
    QString m_lastError;
};
