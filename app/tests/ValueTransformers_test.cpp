// The conversions the windows' fields and labels show, both ways.

#include "app/AppExtention/Function/ValueTransformers.h"

#include <gtest/gtest.h>

namespace {

using namespace Discwright::ValueTransformers;

TEST(ValueTransformers, NumbersShown)
{
    EXPECT_EQ(int2PercentForward(0.578), 57);
    EXPECT_EQ(int2PercentForward(0.57), 57);
    EXPECT_FLOAT_EQ(int2PercentReverse(57), 0.57f);
    EXPECT_EQ(float2IntegerForward(2.5), 3);
    EXPECT_EQ(float2IntegerForward(2.4), 2);
    EXPECT_EQ(float2IntegerForward(-2.7), -2);
    EXPECT_FLOAT_EQ(float2IntegerReverse(3), 3.0f);
    EXPECT_EQ(intToStringForward(42), "42");
    EXPECT_EQ(intToStringReverse("17 items"), 17);
}

TEST(ValueTransformers, TextsShownAndReadBack)
{
    struct Row
    {
        const char *name;
        QString shown;
        QString expected;
    };
    const Row rows[] = {
        {"percent", float2PercentForward(0.5), "50%"},
        {"angle", float2AngleForward(45.7), "45°"},
        {"seconds", floatSecondStringForward(2.5), "2.5S"},
        {"two places", float2StringForward(1.0 / 3), "0.33"},
        {"one place", float2String1Forward(2.25), "2.2"},
        {"time", time2TimeStringForward(3661.9), "01:01:01"},
        {"float time", float2TimeStringForward(3723.5), "01:02:03"},
        // The lists' time text: hours are not wrapped and a negative time shows as nothing
        // elapsed, never as "00:00:-5".
        {"hundred hours", time2TimeStringForward(360000), "100:00:00"},
        {"negative time", time2TimeStringForward(-5.5), "00:00:00"},
        {"negative float time", float2TimeStringForward(-61), "00:00:00"},
        {"time text", time2TimeStringForward("90"), "00:01:30"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.shown, row.expected);
    }
    EXPECT_FLOAT_EQ(float2PercentReverse("75%"), 0.75f);
    EXPECT_FLOAT_EQ(float2PercentReverse("none"), 0.0f);
    EXPECT_FLOAT_EQ(float2AngleReverse("30°"), 30.0f);
    EXPECT_FLOAT_EQ(floatSecondStringReverse("2.5S"), 2.5f);
}

TEST(ValueTransformers, TimeTextsToSeconds)
{
    const std::pair<QString, float> rows[]
        = {{"90", 90}, {"1:30", 90}, {"0:1:30", 90}, {"01:02:03", 3723}, {"1:2:3:4", 0}, {"", 0}};
    for (const auto &[text, seconds] : rows) {
        SCOPED_TRACE(qPrintable(text));
        EXPECT_FLOAT_EQ(float2TimeStringReverse(text), seconds);
    }
}

} // namespace
