#pragma once

// The conversions between model values and what the windows' sliders, fields and labels show:
// percentages, whole numbers, angles, seconds and time strings, each with its way back where the
// field is editable. Text input is read by its leading number (0 when it has none), as the fields
// have always read it. Pure functions; any thread.

#include <QString>
#include <QVariant>

namespace Discwright::ValueTransformers {

// The leading number of a text ("75%" reads 75, "abc" 0); numbers are taken as they are.
double leadingNumber(const QVariant &value);

// 0.578 shows 57: the product is truncated. Back: 57 gives 0.57.
int int2PercentForward(const QVariant &value);
float int2PercentReverse(const QVariant &value);

// 2.5 shows 3, 2.4 shows 2, -2.7 shows -2 (0.5 is added, then truncated). Back: the same value.
int float2IntegerForward(const QVariant &value);
float float2IntegerReverse(const QVariant &value);

// "HH:MM:SS" of the whole seconds (TimeText::timeStrFromSecond): 3661.9 shows "01:01:01".
QString time2TimeStringForward(const QVariant &value);

// "50%" for 0.5. Back: "75%" gives 0.75, a text without a number 0.
QString float2PercentForward(const QVariant &value);
float float2PercentReverse(const QVariant &value);

// "45°" for 45.7. Back: the leading number.
QString float2AngleForward(const QVariant &value);
float float2AngleReverse(const QVariant &value);

// "2.5S". Back: the leading number.
QString floatSecondStringForward(const QVariant &value);
float floatSecondStringReverse(const QVariant &value);

// "%.2f" and "%.1f". Back: the leading number.
QString float2StringForward(const QVariant &value);
float float2StringReverse(const QVariant &value);
QString float2String1Forward(const QVariant &value);
float float2String1Reverse(const QVariant &value);

// "%d". Back: the leading integer.
QString intToStringForward(const QVariant &value);
int intToStringReverse(const QVariant &value);

// "HH:MM:SS" of the whole seconds of the float (TimeText::timeStrFromSecond). Back:
// stringToSecond().
QString float2TimeStringForward(const QVariant &value);
float float2TimeStringReverse(const QVariant &value);
// "h:m:s", "m:s" or "s" in seconds, summed in single precision: "01:02:03" is 3723, "1:30" 90;
// any other number of pieces is 0.
float stringToSecond(const QString &text);

} // namespace Discwright::ValueTransformers
