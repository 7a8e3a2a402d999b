#include "app/AppExtention/Function/CustomDigitFomatter.h"

#include <algorithm>

namespace {

bool allDecimalDigits(QStringView text)
{
    // Walk code points, not UTF-16 units, so digits outside the basic plane count too.
    for (const char32_t c : text.toUcs4()) {
        if (QChar::category(c) != QChar::Number_DecimalDigit)
            return false;
    }
    return true;
}

} // namespace

CustomDigitFomatter::CustomDigitFomatter(QObject *parent)
    : QValidator(parent)
{}

bool CustomDigitFomatter::isPartialStringValid(const QString &proposedText,
                                               int proposedCaret,
                                               int selectionStart,
                                               QString *errorText) const
{
    if (proposedText.size() > m_maxLength)
        return false;
    // A deletion leaves the caret before the selection: nothing was inserted, nothing to check.
    if (proposedCaret <= selectionStart)
        return true;
    const qsizetype start = std::clamp<qsizetype>(selectionStart, 0, proposedText.size());
    const qsizetype length = std::min<qsizetype>(
        std::min<qsizetype>(proposedCaret - start, m_maxLength), proposedText.size() - start);
    if (!allDecimalDigits(QStringView(proposedText).mid(start, length))) {
        if (errorText)
            *errorText = QStringLiteral("不是数字");
        return false;
    }
    return true;
}

QValidator::State CustomDigitFomatter::validate(QString &input, int & /*pos*/) const
{
    // QValidator sees only the result of an edit, so the whole text is checked: a field that
    // only ever accepted digits still holds only digits after any accepted edit.
    if (input.size() > m_maxLength)
        return Invalid;
    return allDecimalDigits(input) ? Acceptable : Invalid;
}
