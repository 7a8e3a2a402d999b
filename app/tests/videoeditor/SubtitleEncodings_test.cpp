// The subtitle file's encodings: the stored numbers, each decoder, and the chain of fall-backs.

#include "app/videoeditor/Controller/SubtitleEncodings.h"
#include "support/ShellTesting.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

// The texts come from the string table the shell reads.
const bool kStrings = (shell_testing::application(), true);

using namespace SubtitleEncodings;

const QString kText = QString::fromUtf8("1\n00:00:01,000 --> 00:00:03,000\n日本語の字幕\n");
const QString kChinese = QString::fromUtf8("1\n00:00:01,000 --> 00:00:03,000\n中文字幕\n");

QByteArray encoded(const QString &text, const char *name)
{
    QStringEncoder encoder(name);
    EXPECT_TRUE(encoder.isValid()) << name;
    return encoder.encode(text);
}

TEST(SubtitleEncodings, StoredNumbersInTableOrder)
{
    const QList<quint64> expected{0, 4, 5, 0x80000A01, 3, 0x80000003, 0x80000632, 0x80000A03};
    QList<quint64> numbers;
    for (const Entry &entry : subtitleeEncodings())
        numbers.append(entry.encoding);
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(subtitleeEncodings().first().name, "Automatic");
    EXPECT_EQ(subtitleeEncodings()[5].name, "Korean (Mac OS)");
}

TEST(SubtitleEncodings, EachChoiceReadsItsOwnText)
{
    const QString korean = QString::fromUtf8("1\n00:00:01,000 --> 00:00:03,000\n한국어 자막\n");
    const QString big5 = QString::fromUtf8("1\n00:00:01,000 --> 00:00:03,000\n繁體字幕\n");
    struct Row
    {
        const char *name;
        QString text;
        const char *encoder;
        quint64 chosen;
    };
    const Row rows[] = {
        {"UTF-8", kText, "UTF-8", kUTF8},
        {"Shift JIS", kText, "Shift_JIS", kShiftJIS},
        {"EUC-JP", kText, "EUC-JP", kEUCJP},
        {"Mac OS Korean reads CP949", korean, "CP949", kMacKorean},
        {"GB 18030", kChinese, "GB18030", kGB18030},
        {"Big 5", big5, "Big5", kBig5},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(readSubtitleText(encoded(row.text, row.encoder), row.chosen), row.text);
    }
}

TEST(SubtitleEncodings, AutomaticFallBacks)
{
    const QByteArray utf8 = kText.toUtf8();
    EXPECT_EQ(readSubtitleText(utf8, kAutomatic), kText) << "valid UTF-8";
    EXPECT_EQ(readSubtitleText(QByteArray("\xEF\xBB\xBF") + utf8, kAutomatic), kText)
        << "UTF-8 with a byte order mark";
    QByteArray utf16 = encoded(kText, "UTF-16LE");
    utf16.prepend("\xFF\xFE");
    EXPECT_EQ(readSubtitleText(utf16, kAutomatic), kText) << "UTF-16 with a byte order mark";

    // Shift JIS is not valid UTF-8, and ISO Latin 1 comes before it in the list and takes any
    // byte.
    const QByteArray sjis = encoded(kText, "Shift_JIS");
    EXPECT_EQ(readSubtitleText(sjis, kAutomatic), QString::fromLatin1(sjis));
    // A wrong choice falls back the same way; the choice itself is not the reader's to change.
    EXPECT_EQ(readSubtitleText(sjis, kUTF8), QString::fromLatin1(sjis));
}

TEST(SubtitleEncodings, ReadsThatGiveNothing)
{
    EXPECT_FALSE(readSubtitleText({}, kAutomatic)) << "an empty file";
    EXPECT_FALSE(readText(QByteArray("\xFF\xFE\xFD", 3), kUTF8)) << "a decoder error";
    EXPECT_FALSE(readText("text", 12345)) << "an unknown number";
    EXPECT_FALSE(readText("text", kAutomatic));
}

} // namespace
