#include "app/AppExtention/TipWndCtr.h"

#include <QSettings>

TipWndCtr::TipWndCtr(QObject *parent)
    : QObject(parent)
{}

QString TipWndCtr::usedCountKey()
{
    return QStringLiteral("UsedTheAppCount3");
}

QString TipWndCtr::donotShowRateKey()
{
    return QStringLiteral("DonotShowRateApp3");
}

qint64 TipWndCtr::usedCount()
{
    return preferenceValueForKey(usedCountKey(), 0).toLongLong();
}

void TipWndCtr::setUsedCount(qint64 count)
{
    setPreferenceValue(count, usedCountKey());
}

qint64 TipWndCtr::nonotShowRate()
{
    return preferenceValueForKey(donotShowRateKey(), 0).toLongLong();
}

QVariant TipWndCtr::preferenceValueForKey(const QString &key, const QVariant &fallback)
{
    const QSettings settings;
    return settings.contains(key) ? settings.value(key) : fallback;
}

void TipWndCtr::setPreferenceValue(const QVariant &value, const QString &key)
{
    QSettings settings;
    settings.setValue(key, value);
}

void TipWndCtr::yesRateIt()
{
    // The application has no store page to open.
    emit closeRequested();
}

void TipWndCtr::noThanks()
{
    emit closeRequested();
}

void TipWndCtr::donotShowRateWindow(int checkState)
{
    setPreferenceValue(qint64(checkState != 0 ? 1 : 0), donotShowRateKey());
}
