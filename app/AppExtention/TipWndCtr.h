#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

/**
 * The rating reminder: what its window would do, and the two counters it keeps in the user
 * defaults, "UsedTheAppCount3" and "DonotShowRateApp3". The reminder is never shown
 * (showRateApplicationWindow does nothing) and there is no store page to open, so "rate it now"
 * only closes; nothing in the application counts uses. The window itself, were one ever shown,
 * listens to closeRequested.
 *
 * The class functions may be called from any thread (QSettings is thread-safe); an instance
 * belongs to the main thread.
 */
class TipWndCtr : public QObject
{
    Q_OBJECT
public:
    explicit TipWndCtr(QObject *parent = nullptr);

    // The user-defaults keys.
    static QString usedCountKey();
    static QString donotShowRateKey();

    static qint64 usedCount();
    static void setUsedCount(qint64 count);
    // Non-zero once the user asked never to be reminded.
    static qint64 nonotShowRate();
    // The stored value of key, or fallback when there is none.
    static QVariant preferenceValueForKey(const QString &key, const QVariant &fallback);
    static void setPreferenceValue(const QVariant &value, const QString &key);
    // Called after a burned disc and after a revealed folder or image; shows nothing.
    static void showRateApplicationWindow() {}

    // The window's three controls.
    void yesRateIt();
    void noThanks();
    // The check box: its state (0 or 1) is stored under "DonotShowRateApp3".
    void donotShowRateWindow(int checkState);

signals:
    void closeRequested();
};
