#pragma once

// The conversions the video editor's fields and labels show, both ways: play times in whole
// seconds and in milliseconds, two-place numbers, and the subtitle size as a percentage. Plain
// values: any thread.

#include <QString>
#include <cstdint>

// Engine time shown as "hh:mm:ss"; read back from exactly three parts, else 0.
struct FFMovieTime2PlayTimeStringTransformer
{
    static QString transformedValue(int64_t ticks);
    static int64_t reverseTransformedValue(const QString &text);
};

// Engine time shown as "hh:mm:ss.mmm"; read back from three, two or one parts (the seconds part
// keeps its fraction), else 0.
struct FFMovieTime2PlayTimeMsStringTransformer
{
    static QString transformedValue(int64_t ticks);
    static int64_t reverseTransformedValue(const QString &text);
};

// "%.2f" and back.
struct Float2_2StringTransformer
{
    static QString transformedValue(double value);
    static float reverseTransformedValue(const QString &text);
};

// x -> (x - 100) / 100 and y -> 100 + 100 y.
struct FontSizeScaleToPercentValueTransformer
{
    static float transformedValue(float x);
    static float reverseTransformedValue(float y);
};
