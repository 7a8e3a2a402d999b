#include "platform/GeometryText.h"

#include <QLocale>
#include <array>
#include <cmath>

namespace platform {
namespace {

QString number(double value)
{
    // Text forms have no spelling for these; zero is what a reader would make of them anyway.
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

bool isNumberStart(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isDigit())
        return true;
    const bool nextIsDigit = i + 1 < text.size() && text[i + 1].isDigit();
    if (c == u'.')
        return nextIsDigit;
    if (c == u'-' || c == u'+') {
        if (nextIsDigit)
            return true;
        return i + 2 < text.size() && text[i + 1] == u'.' && text[i + 2].isDigit();
    }
    return false;
}

// Reads up to N numbers in order; anything that is not part of a number separates them.
template <size_t N> std::array<double, N> numbers(const QString &text)
{
    std::array<double, N> out{};
    size_t found = 0;
    const QStringView view(text);
    qsizetype i = 0;
    while (i < view.size() && found < N) {
        if (!isNumberStart(view, i)) {
            ++i;
            continue;
        }
        qsizetype end = i;
        if (view[end] == u'-' || view[end] == u'+')
            ++end;
        while (end < view.size() && view[end].isDigit())
            ++end;
        if (end < view.size() && view[end] == u'.') {
            ++end;
            while (end < view.size() && view[end].isDigit())
                ++end;
        }
        // An exponent counts only when digits follow it, so "2e" reads as 2.
        if (end < view.size() && (view[end] == u'e' || view[end] == u'E')) {
            qsizetype exp = end + 1;
            if (exp < view.size() && (view[exp] == u'-' || view[exp] == u'+'))
                ++exp;
            if (exp < view.size() && view[exp].isDigit()) {
                while (exp < view.size() && view[exp].isDigit())
                    ++exp;
                end = exp;
            }
        }
        bool ok = false;
        const double value = view.mid(i, end - i).toDouble(&ok);
        out[found++] = ok && std::isfinite(value) ? value : 0.0;
        i = end;
    }
    return out;
}

} // namespace

QString stringFromRect(const QRectF &rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()));
}

QString stringFromSize(const QSizeF &size)
{
    return QStringLiteral("{%1, %2}").arg(number(size.width()), number(size.height()));
}

QString stringFromPoint(const QPointF &point)
{
    return QStringLiteral("{%1, %2}").arg(number(point.x()), number(point.y()));
}

QRectF rectFromString(const QString &text)
{
    const auto n = numbers<4>(text);
    return QRectF(n[0], n[1], n[2], n[3]);
}

QSizeF sizeFromString(const QString &text)
{
    const auto n = numbers<2>(text);
    return QSizeF(n[0], n[1]);
}

QPointF pointFromString(const QString &text)
{
    const auto n = numbers<2>(text);
    return QPointF(n[0], n[1]);
}

} // namespace platform
