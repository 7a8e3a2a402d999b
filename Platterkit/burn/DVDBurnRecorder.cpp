#include "Platterkit/burn/DVDBurnRecorder.h"

#include "Platterkit/burn/BurnLibrary.h"
#include "Platterkit/burn/BurnLog.h"
#include "Platterkit/burn/DVDBurnStatus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <libburn/libburn.h>
#include <limits>
#include <vector>

const QString DVDBurnRecorder::VerifyDiscKey = QStringLiteral("VerifyDisc");
const QString DVDBurnRecorder::OverwriteDiscKey = QStringLiteral("OverwriteDisc");

using namespace burn;
using Platterkit::lcBurn;

namespace {

constexpr qint64 sectorBytes = 2048;
// Verification reads this much at a time: large enough to stream, small enough to stop quickly.
constexpr qint64 verifyChunkBytes = 1024 * 1024;
// How long release() waits for libburn's writer thread to notice a cancel before giving up on the
// drive (a drive stuck in a SCSI command can take this long to answer).
constexpr int releaseWaitMs = 120000;
// How long a run waits, once the drive is idle, for libburn's writer thread to announce its end
// (about half a second after a cancel) before it takes the drive as free anyway.
constexpr int writerEndWaitMs = 5000;

quint32 toSectors(qint64 bytes)
{
    if (bytes <= 0)
        return 0;
    return quint32(std::min<qint64>(bytes / sectorBytes, std::numeric_limits<quint32>::max()));
}

QString phaseForDriveStatus(burn_drive_status status)
{
    switch (status) {
    case BURN_DRIVE_WRITING:
    case BURN_DRIVE_WRITING_SYNC:
        return DVDBurnStatus::StateTrackWrite;
    case BURN_DRIVE_CLOSING_TRACK:
    case BURN_DRIVE_CLOSING_SESSION:
    case BURN_DRIVE_WRITING_LEADOUT:
        return DVDBurnStatus::StateSessionClose;
    default:
        return DVDBurnStatus::StatePreparing;
    }
}

} // namespace

DVDBurnRecorder::DVDBurnRecorder(DVDBurnDeviceRef device, burn_drive_info *info)
    : m_device(std::move(device))
    , m_info(info)
    , m_drive(info->drive)
{}

DVDBurnRecorderRef DVDBurnRecorder::burnForDevice(const DVDBurnDeviceRef &device)
{
    if (!device || !device->isValid() || !Platterkit::detail::ensureBurnLibrary())
        return nullptr;
    // libburn lets a file be taken twice as a pseudo-drive; two burns into one file would mix.
    if (Platterkit::detail::heldDrives().contains(device->address())) {
        qCWarning(lcBurn) << "drive" << device->address() << "is already held by another burner";
        return nullptr;
    }
    Platterkit::detail::takeBurnMessages();
    QByteArray address = device->address().toLocal8Bit();
    burn_drive_info *infos = nullptr;
    if (burn_drive_scan_and_grab(&infos, address.data(), 1) <= 0) {
        qCWarning(lcBurn) << "cannot hold drive" << device->address() << ":"
                          << Platterkit::detail::takeBurnMessages();
        if (infos)
            burn_drive_info_free(infos);
        return nullptr;
    }
    DVDBurnRecorderRef recorder(new DVDBurnRecorder(device, infos));
    // A drive that was just loaded needs a moment before it can tell what disc it holds.
    QElapsedTimer waited;
    waited.start();
    while (burn_disc_get_status(recorder->m_drive) == BURN_DISC_UNREADY && waited.elapsed() < 5000)
        QThread::msleep(20);
    recorder->refreshMedia();
    qCDebug(lcBurn) << "holding drive" << device->address();
    return recorder;
}

DVDBurnRecorder::~DVDBurnRecorder()
{
    release();
}

void DVDBurnRecorder::release()
{
    if (!m_drive)
        return;
    if (m_run == Run::Writing) {
        abort();
        QElapsedTimer waited;
        waited.start();
        while (burn_drive_get_status(m_drive, nullptr) != BURN_DRIVE_IDLE) {
            if (waited.elapsed() > releaseWaitMs) {
                // Freeing the drive under libburn's writer would crash it; keep it held instead.
                qCCritical(lcBurn) << "drive" << m_device->address()
                                   << "did not stop; it stays held until the program ends";
                return;
            }
            QThread::msleep(10);
        }
        QElapsedTimer ending;
        ending.start();
        while (!writerThreadEnded() && ending.elapsed() < writerEndWaitMs)
            QThread::msleep(10);
    }
    if (m_verifyThread.joinable()) {
        m_cancelRequested = true;
        m_verifyThread.join();
    }
    if (m_disc) {
        burn_disc_free(m_disc);
        m_disc = nullptr;
    }
    if (isBusy()) {
        m_run = Run::Ended;
        m_finalStatus = {{DVDBurnStatus::StateKey, DVDBurnStatus::StateFailed},
                         {DVDBurnStatus::ErrorTextKey, QStringLiteral("The drive was let go.")}};
    }
    Platterkit::detail::noteDriveReleased(m_device->address());
    burn_drive_release(m_drive, 0);
    burn_drive_info_free(m_info);
    m_drive = nullptr;
    m_info = nullptr;
    qCDebug(lcBurn) << "released drive" << m_device->address();
}

void DVDBurnRecorder::refreshMedia()
{
    if (!m_drive)
        return;
    Media media;
    media.status = burn_disc_get_status(m_drive);
    if (media.status == BURN_DISC_BLANK || media.status == BURN_DISC_APPENDABLE
        || media.status == BURN_DISC_FULL) {
        media.freeSectors = toSectors(burn_disc_available_space(m_drive, nullptr));
        burn_multi_caps *caps = nullptr;
        if (burn_disc_get_multi_caps(m_drive, BURN_WRITE_NONE, &caps, 0) > 0 && caps)
            media.overwritable = caps->start_adr != 0;
        burn_disc_free_multi_caps(&caps);
    }
    if (media.status == BURN_DISC_APPENDABLE || media.status == BURN_DISC_FULL) {
        int capacity = 0;
        if (burn_get_read_capacity(m_drive, &capacity, 0) > 0 && capacity > 0)
            media.usedSectors = quint32(capacity);
    }
    applyPseudoDriveOptions(media);
    m_media = media;
    Platterkit::detail::noteDriveHeld(m_device->address(), media.status);
}

void DVDBurnRecorder::applyPseudoDriveOptions(Media &media) const
{
    if (!m_device->isPseudoDrive())
        return;
    const DVDBurnDevice::PseudoDriveOptions options = m_device->pseudoDriveOptions();
    if (options.writeOnce) {
        // Asked of the file each time: moving it away is how the next disc goes in.
        const QFileInfo file(m_device->pseudoDriveFile());
        const qint64 written = file.isFile() ? file.size() : 0;
        if (written > 0) {
            media.status = BURN_DISC_FULL;
            media.freeSectors = 0;
            media.usedSectors = toSectors(written);
            media.overwritable = false;
            return;
        }
        if (media.status == BURN_DISC_APPENDABLE || media.status == BURN_DISC_FULL) {
            media.status = BURN_DISC_BLANK;
            media.usedSectors = 0;
            media.freeSectors = toSectors(burn_disc_available_space(m_drive, nullptr));
        }
    }
    if (options.capacityBytes > 0 && media.status == BURN_DISC_BLANK)
        media.freeSectors = std::min(media.freeSectors, toSectors(options.capacityBytes));
}

const DVDBurnRecorder::Media &DVDBurnRecorder::media()
{
    if (!isBusy())
        refreshMedia();
    return m_media;
}

bool DVDBurnRecorder::mediaIsPresent()
{
    const int status = media().status;
    return status == BURN_DISC_BLANK || status == BURN_DISC_APPENDABLE || status == BURN_DISC_FULL
           || status == BURN_DISC_UNSUITABLE;
}

bool DVDBurnRecorder::mediaIsBlank()
{
    return media().status == BURN_DISC_BLANK;
}

bool DVDBurnRecorder::mediaIsOverwritable()
{
    return media().overwritable;
}

quint32 DVDBurnRecorder::mediaSpaceFree()
{
    return media().freeSectors;
}

quint32 DVDBurnRecorder::mediaSpaceUsed()
{
    return media().usedSectors;
}

quint32 DVDBurnRecorder::mediaSpaceOverwritable()
{
    const Media &current = media();
    return current.overwritable ? current.freeSectors : 0;
}

bool DVDBurnRecorder::writeImageFile(const QString &imagePath)
{
    if (!m_drive) {
        setLastError(QStringLiteral("No drive is held."));
        return false;
    }
    if (isBusy()) {
        setLastError(QStringLiteral("A burn is already running on %1.").arg(m_device->address()));
        return false;
    }
    const QFileInfo image(imagePath);
    if (!image.isFile() || !image.isReadable() || image.size() <= 0) {
        setLastError(
            QStringLiteral("The image %1 is missing, empty or unreadable.").arg(imagePath));
        return false;
    }
    refreshMedia();
    if (m_media.status != BURN_DISC_BLANK && m_media.status != BURN_DISC_APPENDABLE) {
        setLastError(QStringLiteral("The drive %1 holds no disc that can be written.")
                         .arg(m_device->address()));
        return false;
    }
    const qint64 neededSectors = (image.size() + sectorBytes - 1) / sectorBytes;
    if (qint64(m_media.freeSectors) < neededSectors) {
        setLastError(QStringLiteral("The image needs %1 bytes; the disc has room for %2.")
                         .arg(neededSectors * sectorBytes)
                         .arg(qint64(m_media.freeSectors) * sectorBytes));
        return false;
    }
    if (m_verifyThread.joinable())
        m_verifyThread.join();

    const QByteArray path = QFile::encodeName(image.absoluteFilePath());
    burn_source *source = burn_file_source_new(path.constData(), nullptr);
    if (!source) {
        setLastError(QStringLiteral("The image %1 cannot be read.").arg(imagePath));
        return false;
    }
    burn_disc *disc = burn_disc_create();
    burn_session *session = burn_session_create();
    burn_disc_add_session(disc, session, BURN_POS_END);
    burn_session_free(session);
    burn_track *track = burn_track_create();
    burn_track_define_data(track, 0, 0, 1, BURN_MODE1);
    burn_track_set_source(track, source);
    burn_source_free(source);
    burn_session_add_track(session, track, BURN_POS_END);
    burn_track_free(track);

    burn_write_opts *options = burn_write_opts_new(m_drive);
    burn_write_opts_set_perform_opc(options, 0);
    burn_write_opts_set_multi(options, 0);
    burn_write_opts_set_underrun_proof(options, 1);
    char reasons[BURN_REASONS_LEN] = {};
    if (burn_write_opts_auto_write_type(options, disc, reasons, 0) == BURN_WRITE_NONE) {
        setLastError(QStringLiteral("The disc in %1 cannot take this image: %2")
                         .arg(m_device->address(), QString::fromLocal8Bit(reasons).trimmed()));
        burn_write_opts_free(options);
        burn_disc_free(disc);
        return false;
    }

    m_disc = disc;
    m_imagePath = image.absoluteFilePath();
    m_imageSize = image.size();
    m_verify = m_properties.value(VerifyDiscKey).toBool();
    m_cancelRequested = false;
    m_verifiedBytes = 0;
    m_verifyOutcome = 0;
    m_verifyError.clear();
    m_finalStatus.clear();
    setLastError(QString());
    m_runErrors.clear();
    m_idleSeen = false;
    Platterkit::detail::takeBurnMessages();
    m_writeThreadsEndedAtStart = Platterkit::detail::writeThreadsEnded();
    burn_disc_write(options, disc);
    burn_write_opts_free(options);
    // libburn refuses some writes at once, leaving the drive idle and its last run's "wrote well"
    // answer in place; only the message says so.
    if (burn_drive_get_status(m_drive, nullptr) == BURN_DRIVE_IDLE) {
        const QString refusal = Platterkit::detail::takeBurnMessages();
        if (!refusal.isEmpty()) {
            m_disc = nullptr;
            burn_disc_free(disc);
            setLastError(QStringLiteral("The drive %1 refused the burn: %2")
                             .arg(m_device->address(), refusal));
            return false;
        }
    }
    m_run = Run::Writing;
    qCDebug(lcBurn) << "burning" << imagePath << "to" << m_device->address();
    return true;
}

QVariantMap DVDBurnRecorder::pollStatus()
{
    if (m_run == Run::None || m_run == Run::Ended)
        return m_finalStatus;

    if (m_run == Run::Verifying) {
        const int outcome = m_verifyOutcome.load(std::memory_order_acquire);
        if (outcome == 0) {
            const qint64 done = m_verifiedBytes;
            return {{DVDBurnStatus::StateKey, DVDBurnStatus::StateVerifying},
                    {DVDBurnStatus::PercentCompleteKey, double(done) / double(m_imageSize)},
                    {DVDBurnStatus::CurrentSectorKey, done / sectorBytes},
                    {DVDBurnStatus::TotalSectorsKey, m_imageSize / sectorBytes}};
        }
        m_verifyThread.join();
        if (outcome == 1)
            return endRun(DVDBurnStatus::StateDone, QString());
        return endRun(DVDBurnStatus::StateFailed, m_verifyError);
    }

    burn_progress progress{};
    const burn_drive_status status = burn_drive_get_status(m_drive, &progress);
    if (status != BURN_DRIVE_IDLE) {
        // A cancel that came while libburn was still starting its writer did not take; repeat it.
        if (m_cancelRequested && status == BURN_DRIVE_WRITING)
            burn_drive_cancel(m_drive);
        QVariantMap info{{DVDBurnStatus::StateKey, phaseForDriveStatus(status)}};
        if (info.value(DVDBurnStatus::StateKey) == DVDBurnStatus::StateTrackWrite) {
            const double fraction
                = progress.sectors > 0 ? double(progress.sector) / progress.sectors : 0.0;
            info.insert(DVDBurnStatus::PercentCompleteKey, fraction);
            info.insert(DVDBurnStatus::CurrentSectorKey, progress.sector);
            info.insert(DVDBurnStatus::TotalSectorsKey, progress.sectors);
        }
        return info;
    }

    const QString messages = Platterkit::detail::takeBurnMessages();
    if (!messages.isEmpty())
        m_runErrors.append(messages);
    if (!writerThreadEnded()) {
        if (!m_idleSeen) {
            m_idleSeen = true;
            m_idleSince.start();
        }
        if (m_idleSince.elapsed() < writerEndWaitMs)
            return {{DVDBurnStatus::StateKey, DVDBurnStatus::StateFinishing}};
        qCWarning(lcBurn) << "libburn's writer on" << m_device->address()
                          << "did not announce its end; taking the drive as free";
    }
    const bool wroteWell = burn_drive_wrote_well(m_drive) == 1;
    burn_disc_free(m_disc);
    m_disc = nullptr;
    if (m_cancelRequested)
        return endRun(DVDBurnStatus::StateFailed, QStringLiteral("The burn was stopped."));
    // An error message counts as failure even when libburn's answer says otherwise: a refused
    // run leaves the previous run's answer standing.
    if (!wroteWell || !m_runErrors.isEmpty()) {
        return endRun(DVDBurnStatus::StateFailed,
                      m_runErrors.isEmpty() ? QStringLiteral("The drive could not write the disc.")
                                            : m_runErrors.join(QStringLiteral("; ")));
    }
    if (!m_verify)
        return endRun(DVDBurnStatus::StateDone, QString());
    m_run = Run::Verifying;
    m_verifyThread
        = std::thread([this, path = m_imagePath, size = m_imageSize] { verifyDisc(path, size); });
    return {{DVDBurnStatus::StateKey, DVDBurnStatus::StateVerifying},
            {DVDBurnStatus::PercentCompleteKey, 0.0}};
}

QVariantMap DVDBurnRecorder::endRun(const QString &phase, const QString &error)
{
    m_run = Run::Ended;
    // libburn keeps what it learnt about the disc when the drive was taken; ask again so that the
    // media answers describe the disc as written.
    burn_drive_re_assess(m_drive, 0);
    refreshMedia();
    m_finalStatus = {{DVDBurnStatus::StateKey, phase}};
    if (phase == DVDBurnStatus::StateDone) {
        m_finalStatus.insert(DVDBurnStatus::PercentCompleteKey, 1.0);
    } else {
        m_finalStatus.insert(DVDBurnStatus::ErrorTextKey, error);
        setLastError(error);
        qCWarning(lcBurn) << "burn to" << m_device->address() << "failed:" << error;
    }
    return m_finalStatus;
}

void DVDBurnRecorder::verifyDisc(QString imagePath, qint64 size)
{
    auto fail = [this](const QString &error) {
        m_verifyError = error;
        m_verifyOutcome.store(2, std::memory_order_release);
    };
    QFile image(imagePath);
    if (!image.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("The image %1 cannot be read for verification.").arg(imagePath));
    // What libburn knew of the disc dates from before the write.
    burn_drive_re_assess(m_drive, 0);
    std::vector<char> expected(verifyChunkBytes);
    std::vector<char> actual(verifyChunkBytes);
    for (qint64 offset = 0; offset < size;) {
        if (m_cancelRequested)
            return fail(QStringLiteral("The burn was stopped."));
        const qint64 length = std::min(verifyChunkBytes, size - offset);
        if (image.read(expected.data(), length) != length)
            return fail(QStringLiteral("The image %1 changed during verification.").arg(imagePath));
        off_t count = 0;
        // bit1: the failure is reported here, with its position, rather than in libburn's queue.
        const int read = burn_read_data(m_drive, offset, actual.data(), length, &count, 2);
        if (read <= 0 || count != length)
            return fail(QStringLiteral("The disc could not be read back at byte %1.").arg(offset));
        if (std::memcmp(expected.data(), actual.data(), size_t(length)) != 0) {
            const auto mismatch
                = std::mismatch(expected.begin(), expected.begin() + length, actual.begin());
            return fail(QStringLiteral("The disc differs from the image at byte %1.")
                            .arg(offset + (mismatch.first - expected.begin())));
        }
        offset += length;
        m_verifiedBytes = offset;
    }
    m_verifyOutcome.store(1, std::memory_order_release);
}

void DVDBurnRecorder::abort()
{
    m_cancelRequested = true;
    if (m_run != Run::Writing || !m_drive)
        return;
    // libburn only takes a cancel once its writer runs; wait out the moment it takes to start.
    QElapsedTimer waited;
    waited.start();
    while (burn_drive_get_status(m_drive, nullptr) == BURN_DRIVE_SPAWNING
           && waited.elapsed() < 5000)
        QThread::msleep(1);
    burn_drive_cancel(m_drive);
}

bool DVDBurnRecorder::writerThreadEnded() const
{
    return Platterkit::detail::writeThreadsEnded() > m_writeThreadsEndedAtStart;
}

QString DVDBurnRecorder::lastError() const
{
    QMutexLocker lock(&m_errorMutex);
    return m_lastError;
}

void DVDBurnRecorder::setLastError(const QString &error)
{
    QMutexLocker lock(&m_errorMutex);
    m_lastError = error;
}
