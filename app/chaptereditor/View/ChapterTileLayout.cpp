#include "app/chaptereditor/View/ChapterTileLayout.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ChapterTileLayout {

namespace {

// The leading decimal number of text, as a person's field reads it: leading blanks skipped, an
// optional sign, digits with a fraction and an exponent; 0 when text starts with none.
double leadingNumber(const QString &text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty())
        return 0.0;
    const char *start = bytes.constData();
    char *end = nullptr;
    const double value = std::strtod(start, &end);
    // strtod also reads "inf", "nan" and hexadecimal; a typed time is plain decimal.
    if (end == start
        || !(bytes.front() == '-' || bytes.front() == '+' || bytes.front() == '.'
             || (bytes.front() >= '0' && bytes.front() <= '9')))
        return 0.0;
    // Hexadecimal is read only up to its leading 0.
    if (bytes.size() > 1 && bytes[0] == '0' && (bytes[1] == 'x' || bytes[1] == 'X'))
        return 0.0;
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

double stringToSecond(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    switch (parts.size()) {
    case 3:
        return leadingNumber(parts[0]) * 3600.0 + leadingNumber(parts[1]) * 60.0
               + leadingNumber(parts[2]);
    case 2:
        return leadingNumber(parts[0]) * 60.0 + leadingNumber(parts[1]);
    case 1:
        return leadingNumber(parts[0]);
    default:
        return 0.0;
    }
}

double columnHeight(double scrollHeight, qsizetype tileCount)
{
    return std::max(float(scrollHeight), float(kTileHeight) * float(tileCount));
}

QRectF tileFrame(qsizetype index, double width)
{
    return QRectF(0.0, kTileHeight * double(index), width, kTileHeight);
}

QRectF imageRect()
{
    return QRectF(6, 5, 110, 70);
}

QRectF nameRect()
{
    return QRectF(125, 37, 210, 25);
}

QRectF timeRect()
{
    return QRectF(125, 14, 85, 18);
}

} // namespace ChapterTileLayout
