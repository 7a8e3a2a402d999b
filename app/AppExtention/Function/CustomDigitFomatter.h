#pragma once

// The input rule of the fields that take a short whole number (the custom quality field): at most
// maxLength characters, and whatever is typed or pasted must be decimal digits. A QValidator, so
// a QLineEdit uses it directly; the field's value stays its text. Used on the main thread with
// its field.

#include <QValidator>

class CustomDigitFomatter : public QValidator
{
    Q_OBJECT
public:
    explicit CustomDigitFomatter(QObject *parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }

    // The edit decision on the whole proposed text: longer than maxLength is refused, so is any
    // character that is no decimal digit (any script's digits count); deleting is accepted.
    State validate(QString &input, int &pos) const override;

    // The rule of one edit: originalText with the selection starting at selectionStart replaced,
    // giving proposedText with the caret at proposedCaret. The inserted part (from selectionStart
    // to the caret) must be digits; errorText gets "不是数字" when it is not.
    bool isPartialStringValid(const QString &proposedText,
                              int proposedCaret,
                              int selectionStart,
                              QString *errorText = nullptr) const;

private:
    int m_maxLength = 4;
};
