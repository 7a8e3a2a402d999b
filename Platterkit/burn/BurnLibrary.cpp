#include "Platterkit/burn/BurnLibrary.h"

#include "Platterkit/burn/BurnLog.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <atomic>
#include <cstdlib>
#include <libburn/libburn.h>
#include <mutex>

using namespace burn;

namespace Platterkit::detail {
namespace {

struct Registry
{
    QMutex mutex;
    bool started = false;
    QStringList pseudoDrives;
    QMap<QString, PseudoDriveMedia> pseudoMedia;
    QMap<QString, int> held;
    QList<ScannedDrive> lastScan;
};

std::atomic<int> writeThreadsEndedCount = 0;

Registry &registry()
{
    // Never destroyed: the exit handler below still reads it after static destructors may have run.
    static Registry *instance = new Registry;
    return *instance;
}

void finishBurnLibrary()
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    // libburn must not be shut down under a drive that is still held (a burner leaked or alive in
    // a static); the process is ending anyway, so leaving it running is the safe choice.
    if (!r.started || !r.held.isEmpty())
        return;
    r.started = false;
    burn_finish();
}

} // namespace

bool ensureBurnLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!burn_initialize()) {
            qCWarning(lcBurn) << "libburn did not start";
            return;
        }
        // Messages are queued, never printed: errors go with the run they belong to, and the debug
        // message that a write thread ended tells when a drive is really free again.
        char queue[] = "DEBUG";
        char print[] = "NEVER";
        char prefix[] = "libburn: ";
        burn_msgs_set_severities(queue, print, prefix);
        QMutexLocker lock(&registry().mutex);
        registry().started = true;
        std::atexit(finishBurnLibrary);
    });
    QMutexLocker lock(&registry().mutex);
    return registry().started;
}

QString takeBurnMessages()
{
    if (!ensureBurnLibrary())
        return QString();
    // libburn's code for "Write thread on drive %d ended".
    constexpr int writeThreadEndedCode = 0x20178;
    static const QStringList errorSeverities{QStringLiteral("SORRY"),
                                             QStringLiteral("FAILURE"),
                                             QStringLiteral("FATAL"),
                                             QStringLiteral("ABORT")};
    QStringList messages;
    char minimum[] = "ALL";
    int code = 0;
    int osErrno = 0;
    char text[BURN_MSGS_MESSAGE_LEN];
    char severity[80];
    while (burn_msgs_obtain(minimum, &code, text, &osErrno, severity) > 0) {
        if (code == writeThreadEndedCode)
            ++writeThreadsEndedCount;
        if (errorSeverities.contains(QString::fromLatin1(severity)))
            messages.append(QString::fromLocal8Bit(text).trimmed());
    }
    return messages.join(QStringLiteral("; "));
}

int writeThreadsEnded()
{
    takeBurnMessages();
    return writeThreadsEndedCount;
}

QList<ScannedDrive> scanDrives()
{
    if (!ensureBurnLibrary())
        return {};
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    if (!r.held.isEmpty())
        return r.lastScan;

    struct burn_drive_info *infos = nullptr;
    unsigned int count = 0;
    int scanned = 0;
    while ((scanned = burn_drive_scan(&infos, &count)) == 0)
        QThread::msleep(10);
    QList<ScannedDrive> drives;
    if (scanned > 0) {
        for (unsigned int i = 0; i < count; ++i) {
            char address[BURN_DRIVE_ADR_LEN] = {};
            if (burn_drive_get_adr(&infos[i], address) <= 0)
                continue;
            ScannedDrive drive;
            drive.address = QString::fromLocal8Bit(address);
            drive.vendor = QString::fromLatin1(infos[i].vendor).trimmed();
            drive.product = QString::fromLatin1(infos[i].product).trimmed();
            drive.writesDVD = infos[i].write_dvdr || infos[i].write_dvdram;
            drives.append(drive);
        }
        // A scan leaves every drive locked against other programs; let them go until one is chosen.
        for (unsigned int i = 0; i < count; ++i)
            burn_drive_info_forget(&infos[i], 0);
        burn_drive_info_free(infos);
    } else {
        qCWarning(lcBurn) << "drive scan failed:" << takeBurnMessages();
    }
    r.lastScan = drives;
    return drives;
}

QStringList driveDeviceFiles()
{
    if (!ensureBurnLibrary())
        return {};
    QStringList files;
    const QStringList names = QDir(QStringLiteral("/dev"))
                                  .entryList({QStringLiteral("sr*"), QStringLiteral("scd*")},
                                             QDir::System | QDir::Files,
                                             QDir::Name);
    for (const QString &name : names) {
        QByteArray path = QStringLiteral("/dev/%1").arg(name).toLocal8Bit();
        if (burn_drive_is_enumerable_adr(path.data()) == 1)
            files.append(QString::fromLocal8Bit(path));
    }
    return files;
}

void addPseudoDrive(const QString &address, const PseudoDriveMedia &media)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    if (!r.pseudoDrives.contains(address))
        r.pseudoDrives.append(address);
    r.pseudoMedia.insert(address, media);
}

void removePseudoDrive(const QString &address)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.pseudoDrives.removeAll(address);
    r.pseudoMedia.remove(address);
}

PseudoDriveMedia pseudoDriveMedia(const QString &address)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.pseudoMedia.value(address);
}

QStringList pseudoDrives()
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.pseudoDrives;
}

void noteDriveHeld(const QString &address, int mediaStatus)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.held.insert(address, mediaStatus);
}

void noteDriveReleased(const QString &address)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.held.remove(address);
}

QMap<QString, int> heldDrives()
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.held;
}

} // namespace Platterkit::detail
