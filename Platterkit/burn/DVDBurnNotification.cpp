#include "Platterkit/burn/DVDBurnNotification.h"

#include "Platterkit/burn/BurnLibrary.h"
#include "Platterkit/burn/BurnLog.h"

#include <QMetaMethod>

namespace {

QStringList currentWriters()
{
    return Platterkit::detail::driveDeviceFiles() + Platterkit::detail::pseudoDrives();
}

} // namespace

DVDBurnNotification::DVDBurnNotification()
    : m_writers(currentWriters())
    , m_mediaStates(Platterkit::detail::heldDrives())
{
    m_timer.setInterval(CheckIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &DVDBurnNotification::checkDevices);
    m_timer.start();
}

DVDBurnNotification::~DVDBurnNotification() = default;

void DVDBurnNotification::checkDevices()
{
    const QStringList writers = currentWriters();
    const QMap<QString, int> mediaStates = Platterkit::detail::heldDrives();
    const bool writersChanged = writers != m_writers;
    // A drive taken or let go by a burn object, or whose disc changed while held.
    const bool statusChanged = mediaStates != m_mediaStates;
    m_writers = writers;
    m_mediaStates = mediaStates;
    if (writersChanged)
        devicesChangedNotification();
    if (statusChanged)
        deviceStatusChangedNotification();
}

void DVDBurnNotification::deviceStatusChangedNotification()
{
    send("deviceStatusDidChanged()");
}

void DVDBurnNotification::devicesChangedNotification()
{
    send("devicesDidChanged()");
}

void DVDBurnNotification::send(const char *message)
{
    QObject *delegate = m_delegate;
    if (!delegate)
        return;
    const QMetaObject *meta = delegate->metaObject();
    const int index = meta->indexOfMethod(message);
    if (index < 0)
        return;
    if (!meta->method(index).invoke(delegate, Qt::DirectConnection))
        qCWarning(Platterkit::lcBurn) << "could not send" << message << "to" << meta->className();
}
