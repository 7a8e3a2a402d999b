// The string table: texts looked up by their English key, the table file the build installs, and
// the soft assert of a key the table does not hold.

#include "platform/StringTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kInstalledTable = QStringLiteral(DW_BINARY_DIR "/resources/Localizable.plist");

// Runs body with soft asserts left soft, as in a user's run.
template <typename Body> void withSoftAsserts(Body body)
{
    const QByteArray old = qgetenv("DISCWRIGHT_FATAL_ASSERTS");
    qunsetenv("DISCWRIGHT_FATAL_ASSERTS");
    body();
    qputenv("DISCWRIGHT_FATAL_ASSERTS", old);
}

TEST(StringTable, TheInstalledTableMapsEveryEnglishKeyToItself)
{
    QString error;
    const auto table = platform::StringTable::fromFile(kInstalledTable, &error);
    ASSERT_TRUE(table) << qPrintable(error);
    EXPECT_GT(table->count(), 20);
    for (const QString &key :
         {QStringLiteral("High Quality"),
          QStringLiteral("Ready to burn"),
          QStringLiteral("The DVD isn’t blank DVD ,  please insert a blank DVD ."),
          QStringLiteral("%@ space is available on the disk.\nTo continue,free %@ "
                         "of disk space and try again.")}) {
        SCOPED_TRACE(qPrintable(key));
        EXPECT_TRUE(table->contains(key));
        EXPECT_EQ(table->text(key), key);
    }
}

TEST(StringTable, AnInstalledTableAnswersItsTranslation)
{
    platform::StringTable::install(std::make_shared<const platform::StringTable>(
        QVariantMap{{QStringLiteral("Cancel"), QStringLiteral("Abbrechen")}}));
    EXPECT_EQ(platform::localizedString(QStringLiteral("Cancel")), QStringLiteral("Abbrechen"));
    platform::StringTable::install(nullptr);
}

TEST(StringTable, AMissingKeyAnswersTheKeyInAUsersRun)
{
    const platform::StringTable table(QVariantMap{{QStringLiteral("OK"), QStringLiteral("OK")}});
    withSoftAsserts([&] {
        EXPECT_EQ(table.text(QStringLiteral("Nothing like this")),
                  QStringLiteral("Nothing like this"));
    });
}

TEST(StringTableDeathTest, AMissingKeyIsFatalInATestRun)
{
    const platform::StringTable table;
    EXPECT_DEATH(table.text(QStringLiteral("Nothing like this")), "");
}

TEST(StringTable, FilesThatAreNoTableAreRefusedWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row
    {
        const char *name;
        QByteArray content;
    };
    const Row rows[] = {
        {"not a property list", "hello"},
        {"an array at the top",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>"},
        {"a number as text",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><integer>1</integer>"
         "</dict></plist>"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QString::fromUtf8(row.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.content);
        file.close();
        QString error;
        EXPECT_FALSE(platform::StringTable::fromFile(path, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_FALSE(platform::StringTable::fromFile(dir.filePath("missing"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// Values go into their placeholders in order, once: a value that holds "%@" itself (a file named
// so) is never filled again, and a text with more placeholders than values keeps the rest.
TEST(StringTablePlaceholders, FillEachPlaceholderOnceInOrder)
{
    struct Row
    {
        const char *name;
        const char *format;
        QStringList arguments;
        const char *expected;
    };
    const Row rows[] = {
        {"one value", "'%@' is too long", {"Holiday"}, "'Holiday' is too long"},
        {"two values in order", "%@ free, %@ needed", {"1 GB", "3 GB"}, "1 GB free, 3 GB needed"},
        {"a value holding a placeholder", "\"%@\" exists: %@", {"a%@b", "x"}, "\"a%@b\" exists: x"},
        {"fewer values than placeholders", "%@ and %@", {"one"}, "one and %@"},
        {"more values than placeholders", "just %@", {"one", "two"}, "just one"},
        {"no placeholder", "plain", {"one"}, "plain"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::fillPlaceholders(QString::fromUtf8(row.format), row.arguments),
                  QString::fromUtf8(row.expected));
    }
}

} // namespace
