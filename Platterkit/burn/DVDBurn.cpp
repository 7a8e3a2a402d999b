#include "Platterkit/burn/DVDBurn.h"

#include "Platterkit/burn/BurnLog.h"
#include "Platterkit/burn/DVDBurnStatus.h"
#include "Platterkit/tools/ToolStep.h"

#include <QDebug>
#include <QThread>
#include <chrono>

namespace {

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

DVDBurn::DVDBurn()
    : m_clock(steadySeconds)
{
    m_pollTimer.setInterval(StatusPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &DVDBurn::pollBurnStatus);
}

DVDBurn::~DVDBurn()
{
    m_pollTimer.stop();
    // Stops a burn still running, so that nothing writes on after the burner is gone.
    if (m_burn)
        m_burn->release();
}

template <class Function> auto DVDBurn::onOwnThread(Function function)
{
    if (QThread::currentThread() == thread())
        return function();
    decltype(function()) result{};
    QMetaObject::invokeMethod(
        this, [&] { result = function(); }, Qt::BlockingQueuedConnection);
    return result;
}

QVariantMap DVDBurn::status() const
{
    QMutexLocker lock(&m_statusMutex);
    return m_status;
}

QList<DVDBurnDeviceRef> DVDBurn::devices() const
{
    QList<DVDBurnDeviceRef> writers;
    for (const DVDBurnDeviceRef &device : DVDBurnDevice::connectedDevices()) {
        if (device->writesDVD())
            writers.append(device);
    }
    return writers;
}

DVDBurnDeviceRef DVDBurn::device() const
{
    return m_burn ? m_burn->device() : nullptr;
}

void DVDBurn::setDevice(const DVDBurnDeviceRef &device)
{
    m_pollTimer.stop();
    // One drive can be held only once: the old burn object lets go before the new one takes it.
    if (m_burn) {
        m_burn->release();
        QMutexLocker lock(&m_burnMutex);
        m_burn.reset();
    }
    if (device && device->isValid()) {
        DVDBurnRecorderRef burn = DVDBurnRecorder::burnForDevice(device);
        QMutexLocker lock(&m_burnMutex);
        m_burn = burn;
    }
}

bool DVDBurn::isValid() const
{
    return m_burn && m_burn->isHeld() && m_burn->device()->isValid();
}

void DVDBurn::prepareForBurn()
{
    onOwnThread([this] {
        m_progress.reset();
        m_burnFileSize = 0;
        setDevice(device());
        m_state = DVDBurnStateBusyOrIdle;
        return 0;
    });
}

bool DVDBurn::burnISOPath(const QString &imagePath)
{
    return onOwnThread([this, imagePath] {
        if (!m_burn) {
            QMutexLocker lock(&m_errorMutex);
            m_lastError = QStringLiteral("No writer is selected.");
            return false;
        }
        QString current;
        QDebug(&current).nospace() << m_burn->properties();
        qCInfo(Platterkit::lcBurn, "burn.properties %s", qUtf8Printable(current));
        QVariantMap properties{{DVDBurnRecorder::VerifyDiscKey, allowVerify()}};
        if (isOSMountainLionOrBefore())
            properties.insert(DVDBurnRecorder::OverwriteDiscKey, true);
        m_burn->setProperties(properties);
        const qint64 size = fileSizeForFile(imagePath);
        m_burnFileSize = size;
        m_progress.setBurnFileSize(size);
        if (!m_burn->writeImageFile(imagePath)) {
            m_burnFileSize = 0;
            m_progress.setBurnFileSize(0);
            QMutexLocker lock(&m_errorMutex);
            m_lastError = m_burn->lastError();
            qCWarning(Platterkit::lcBurn) << "burn not started:" << m_lastError;
            return false;
        }
        m_pollTimer.start();
        return true;
    });
}

void DVDBurn::cancel()
{
    DVDBurnRecorderRef burn;
    {
        QMutexLocker lock(&m_burnMutex);
        burn = m_burn;
    }
    if (burn)
        burn->abort();
}

double DVDBurn::progress() const
{
    return m_progress.progress(status(), m_clock());
}

void DVDBurn::pollBurnStatus()
{
    if (!m_burn) {
        m_pollTimer.stop();
        return;
    }
    const QVariantMap info = m_burn->pollStatus();
    if (!m_burn->isBusy())
        m_pollTimer.stop();
    if (!info.isEmpty())
        burnStatusChangedNotification(m_burn.get(), info);
}

void DVDBurn::burnStatusChangedNotification(const DVDBurnRecorder *sender, const QVariantMap &info)
{
    if (!sender || sender != m_burn.get())
        return;
    {
        QMutexLocker lock(&m_statusMutex);
        m_status = info;
    }
    m_state = burnStateAfterStatus(m_state, info);
    if (m_state == DVDBurnStateFailed) {
        QMutexLocker lock(&m_errorMutex);
        m_lastError = info.value(DVDBurnStatus::ErrorTextKey).toString();
    }
}

QString DVDBurn::lastError() const
{
    QMutexLocker lock(&m_errorMutex);
    return m_lastError;
}

qint64 DVDBurn::mediaFreeSpace() const
{
    return m_burn ? qint64(m_burn->mediaSpaceFree()) * 2048 : 0;
}

qint64 DVDBurn::mediaUsedSpace() const
{
    return m_burn ? qint64(m_burn->mediaSpaceUsed()) * 2048 : 0;
}

qint64 DVDBurn::mediaOverWritableSpace() const
{
    return m_burn ? qint64(m_burn->mediaSpaceOverwritable()) * 2048 : 0;
}

qint64 DVDBurn::mediaWritableSpace() const
{
    return isOSMountainLionOrBefore() ? mediaOverWritableSpace() : mediaFreeSpace();
}

bool DVDBurn::mediaIsPresent() const
{
    return m_burn && m_burn->mediaIsPresent();
}

bool DVDBurn::mediaIsBlank() const
{
    if (!m_burn)
        return false;
    return m_burn->mediaIsBlank() || (isOSMountainLionOrBefore() && m_burn->mediaIsOverwritable());
}

bool DVDBurn::isOSMountainLionOrBefore()
{
    return false;
}

qint64 DVDBurn::fileSizeForFile(const QString &path)
{
    return ToolStep::fileSizeForFile(path);
}
