#include "app/AppExtention/Function/ValueTransformers.h"

#include "app/AppExtention/Function/TimeText.h"

#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace Discwright::ValueTransformers {

namespace {

float floatOf(const QVariant &value)
{
    return float(leadingNumber(value));
}

// A 32-bit integer read as the fields read one: truncated, saturating at the type's ends.
int intOf(const QVariant &value)
{
    const double number = leadingNumber(value);
    if (std::isnan(number))
        return 0;
    if (number >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (number <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(number);
}

int truncated(double number)
{
    if (std::isnan(number))
        return 0;
    if (number >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (number <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(number);
}

// The C library's rounding of "%.1f"-style formats (to even on an exact half), which the fields
// have always shown; QString::asprintf rounds halves up.
QString cFormatted(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

} // namespace

double leadingNumber(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0.0;
    if (value.typeId() != QMetaType::QString && value.canConvert<double>())
        return value.toDouble();
    const QByteArray text = value.toString().trimmed().toLatin1();
    const char *start = text.constData();
    char *end = nullptr;
    const double number = std::strtod(start, &end);
    return end == start ? 0.0 : number;
}

int int2PercentForward(const QVariant &value)
{
    return truncated(floatOf(value) * 100.0f);
}

float int2PercentReverse(const QVariant &value)
{
    return float(intOf(value) * 0.01);
}

int float2IntegerForward(const QVariant &value)
{
    return truncated(leadingNumber(value) + 0.5);
}

float float2IntegerReverse(const QVariant &value)
{
    return float(intOf(value));
}

QString time2TimeStringForward(const QVariant &value)
{
    return TimeText::timeStrFromSecond(leadingNumber(value));
}

QString float2PercentForward(const QVariant &value)
{
    return QString::asprintf("%d%%", truncated(floatOf(value) * 100.0f));
}

float float2PercentReverse(const QVariant &value)
{
    return float(floatOf(value) * 0.01);
}

QString float2AngleForward(const QVariant &value)
{
    return QStringLiteral("%1°").arg(truncated(floatOf(value)));
}

float float2AngleReverse(const QVariant &value)
{
    return floatOf(value);
}

QString floatSecondStringForward(const QVariant &value)
{
    return cFormatted("%.1fS", double(floatOf(value)));
}

float floatSecondStringReverse(const QVariant &value)
{
    return floatOf(value);
}

QString float2StringForward(const QVariant &value)
{
    return cFormatted("%.2f", double(floatOf(value)));
}

float float2StringReverse(const QVariant &value)
{
    return floatOf(value);
}

QString float2String1Forward(const QVariant &value)
{
    return cFormatted("%.1f", double(floatOf(value)));
}

float float2String1Reverse(const QVariant &value)
{
    return floatOf(value);
}

QString intToStringForward(const QVariant &value)
{
    return QString::asprintf("%d", intOf(value));
}

int intToStringReverse(const QVariant &value)
{
    return intOf(value);
}

QString float2TimeStringForward(const QVariant &value)
{
    // The field holds a float: the seconds are truncated from the single-precision value.
    return TimeText::timeStrFromSecond(double(floatOf(value)));
}

float float2TimeStringReverse(const QVariant &value)
{
    return stringToSecond(value.toString());
}

float stringToSecond(const QString &text)
{
    const QStringList pieces = text.split(u':');
    auto piece = [&](qsizetype i) { return leadingNumber(pieces.at(i)); };
    float seconds = 0.0f;
    switch (pieces.size()) {
    case 3:
        seconds = float(3600 * piece(0));
        seconds = float(seconds + 60 * piece(1));
        seconds = float(seconds + piece(2));
        return seconds;
    case 2:
        seconds = float(60 * piece(0));
        seconds = float(seconds + piece(1));
        return seconds;
    case 1:
        return float(piece(0));
    default:
        return 0.0f;
    }
}

} // namespace Discwright::ValueTransformers
