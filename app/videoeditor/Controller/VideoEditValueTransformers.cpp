#include "app/videoeditor/Controller/VideoEditValueTransformers.h"

#include <QStringList>
#include <cmath>

QString FFMovieTime2PlayTimeStringTransformer::transformedValue(int64_t ticks)
{
    const int n = int(std::trunc(double(ticks) / 1000000.0));
    return QString::asprintf("%02d:%02d:%02d", n / 3600, (n / 60) % 60, n % 60);
}

int64_t FFMovieTime2PlayTimeStringTransformer::reverseTransformedValue(const QString &text)
{
    const QStringList parts = text.split(':');
    int64_t seconds = 0;
    if (parts.size() == 3)
        seconds = (int64_t(parts[0].toInt()) * 60 + parts[1].toInt()) * 60 + parts[2].toInt();
    return seconds * 1000000;
}

QString FFMovieTime2PlayTimeMsStringTransformer::transformedValue(int64_t ticks)
{
    const float t = float(double(ticks) / 1000000.0);
    const int n = int(t);
    const int ms = int((t - float(n)) * 1000.0f);
    return QString::asprintf("%02d:%02d:%02d.%03d", n / 3600, (n / 60) % 60, n % 60, ms);
}

int64_t FFMovieTime2PlayTimeMsStringTransformer::reverseTransformedValue(const QString &text)
{
    const QStringList parts = text.split(':');
    double seconds = 0.0;
    if (parts.size() == 3)
        seconds = parts[0].toDouble() * 3600 + parts[1].toDouble() * 60 + parts[2].toDouble();
    else if (parts.size() == 2)
        seconds = parts[0].toDouble() * 60 + parts[1].toDouble();
    else if (parts.size() == 1)
        seconds = parts[0].toDouble();
    return int64_t(seconds * 1000000.0);
}

QString Float2_2StringTransformer::transformedValue(double value)
{
    return QString::asprintf("%.2f", value);
}

float Float2_2StringTransformer::reverseTransformedValue(const QString &text)
{
    return float(text.toDouble());
}

float FontSizeScaleToPercentValueTransformer::transformedValue(float x)
{
    return (x - 100.0f) / 100.0f;
}

float FontSizeScaleToPercentValueTransformer::reverseTransformedValue(float y)
{
    return 100.0f + 100.0f * y;
}
