// The digit rule of the custom quality field: single edits and whole texts.

#include "app/AppExtention/Function/CustomDigitFomatter.h"

#include <gtest/gtest.h>

namespace {

TEST(CustomDigitFomatter, Edits)
{
    const CustomDigitFomatter formatter;
    EXPECT_EQ(formatter.maxLength(), 4);
    struct Row
    {
        const char *name;
        QString proposed;
        int caret;
        int selectionStart;
        bool accepted;
        QString error;
    };
    const Row rows[] = {
        {"typing the fourth digit", "2019", 4, 3, true, ""},
        {"a fifth character", "20190", 5, 4, false, ""},
        {"a typed letter", "20a", 3, 2, false, "不是数字"},
        {"pasting digits", "1234", 4, 0, true, ""},
        {"replacing a selection with digits", "1990", 3, 1, true, ""},
        {"Arabic-Indic digits count", QStringLiteral("\u0661\u0662"), 2, 0, true, ""},
        {"deleting backwards", "20", 2, 3, true, ""},
        {"a typed space", "1 ", 2, 1, false, "不是数字"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_EQ(
            formatter.isPartialStringValid(row.proposed, row.caret, row.selectionStart, &error),
            row.accepted);
        EXPECT_EQ(error, row.error);
    }
}

TEST(CustomDigitFomatter, ValidatesWholeTexts)
{
    CustomDigitFomatter formatter;
    formatter.setMaxLength(4);
    struct Row
    {
        QString text;
        QValidator::State state;
    };
    const Row rows[] = {{"7000", QValidator::Acceptable},
                        {"", QValidator::Acceptable},
                        {"70000", QValidator::Invalid},
                        {"7k", QValidator::Invalid}};
    for (Row row : rows) {
        SCOPED_TRACE(qPrintable(row.text));
        int pos = int(row.text.size());
        EXPECT_EQ(formatter.validate(row.text, pos), row.state);
    }
}

} // namespace
