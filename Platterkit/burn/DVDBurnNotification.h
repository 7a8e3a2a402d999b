#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

/**
 * Tells a delegate (the main window) when writers come and go and when the disc state of a writer
 * changes, so that it can refresh what it shows about them. The delegate is sent
 * `deviceStatusDidChanged` and `devicesDidChanged` (invokable methods without arguments), each only
 * when it has that method.
 *
 * libburn announces nothing, so the notifier looks every few seconds, on the thread it lives on (the
 * main thread, running an event loop): at the device files of optical drives and the registered
 * pseudo-drives for writers, and at the drives held by burn objects for their disc state. It does
 * not open drives that nobody holds, which would lock them against other programs.
 */
class DVDBurnNotification : public QObject
{
    Q_OBJECT
public:
    static constexpr int CheckIntervalMs = 2000;

    Q_INVOKABLE DVDBurnNotification();
    ~DVDBurnNotification() override;

    // Not owned; when the delegate is destroyed the notifier forgets it.
    QObject *delegate() const { return m_delegate; }
    void setDelegate(QObject *delegate) { m_delegate = delegate; }

    // Sends deviceStatusDidChanged to the delegate when it has that method.
    Q_INVOKABLE void deviceStatusChangedNotification();
    // Sends devicesDidChanged to the delegate when it has that method.
    Q_INVOKABLE void devicesChangedNotification();

    // Looks at the writers now and sends the notifications for what changed since the last look.
    // The timer calls it; callers that just changed something may call it to be told at once.
    void checkDevices();

private:
    void send(const char *message);

    QPointer<QObject> m_delegate;
    QTimer m_timer;
    QStringList m_writers;
    QMap<QString, int> m_mediaStates;
};
