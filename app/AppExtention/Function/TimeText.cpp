#include "app/AppExtention/Function/TimeText.h"

#include <cmath>
#include <limits>

namespace Discwright::TimeText {
namespace {

// Truncates toward zero, holding absurd inputs (NaN, far beyond any media length) at the ends of
// the range instead of overflowing.
qint64 wholeSeconds(double seconds)
{
    if (std::isnan(seconds))
        return 0;
    constexpr double limit = double(std::numeric_limits<qint32>::max()) * 3600.0;
    if (seconds >= limit)
        return qint64(limit);
    if (seconds <= -limit)
        return -qint64(limit);
    return qint64(std::trunc(seconds));
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString timeStrFromSecond(double seconds)
{
    const qint64 s = std::max<qint64>(0, wholeSeconds(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(twoDigits(s / 3600), twoDigits(s / 60 % 60), twoDigits(s % 60));
}

QString timeStrFromMsSecond(double seconds)
{
    const qint64 s = wholeSeconds(seconds);
    const float fraction = float(seconds) - float(s);
    const qint64 ms = qint64(fraction * 1000.0f);
    const QString sign = (s < 0 || ms < 0) ? QStringLiteral("-") : QString();
    const qint64 a = std::abs(s);
    return QStringLiteral("%1%2:%3:%4.%5")
        .arg(sign,
             twoDigits(a / 3600),
             twoDigits(a / 60 % 60),
             twoDigits(a % 60),
             QStringLiteral("%1").arg(std::abs(ms), 3, 10, QLatin1Char('0')));
}

QString shortTimeStrFromSecond(double seconds)
{
    const qint64 s = wholeSeconds(seconds);
    const QString sign = s < 0 ? QStringLiteral("-") : QString();
    const qint64 a = std::abs(s);
    return QStringLiteral("%1%2:%3").arg(sign, twoDigits(a / 60), twoDigits(a % 60));
}

} // namespace Discwright::TimeText
