#include "Reelsmith/media/LMAssFrame.h"

#include <QRegularExpression>

LMAssFrame::Range LMAssFrame::findAssTextStringRangeIndex(const QString &s, Range range, int index)
{
    // Iterative form of "after the first comma, then again index - 1 times".
    for (;;) {
        if (range.start < 0 || range.length < 0 || range.start + range.length > s.size())
            return Range{};
        const int comma = s.indexOf(QLatin1Char(','), range.start);
        if (comma < 0 || comma >= range.start + range.length)
            return Range{};
        const int end = range.start + range.length;
        Range after{comma + 1, end - (comma + 1)};
        if (index < 2 || after.length == 0)
            return after;
        range = after;
        --index;
    }
}

QString LMAssFrame::findAssTextStringIndex(const QString &s, int index)
{
    const Range range = findAssTextStringRangeIndex(s, Range{0, int(s.size())}, index);
    if (range.start < 0 || range.length == 0)
        return QString();
    return s.mid(range.start, range.length);
}

QString LMAssFrame::removeBraceFromTextString(const QString &s)
{
    static const QRegularExpression overrideBlock(QStringLiteral("\\{[^\\}]*\\}"));
    QString text = s;
    text.remove(overrideBlock);
    return text;
}

QString LMAssFrame::dialogString() const
{
    // The event line is "ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text": the
    // text starts after the 8th comma and may itself hold commas.
    QString text = findAssTextStringIndex(ass, kTextFieldIndex);
    if (text.isEmpty()) {
        const int comma = ass.lastIndexOf(QLatin1Char(','));
        text = comma >= 0 ? ass.mid(comma + 1) : QString();
    }
    // A line may end in a line break that is not part of the text.
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    text = removeBraceFromTextString(text);
    text.replace(QStringLiteral("\\N"), QStringLiteral("\n"));
    return text;
}
