#include "platform/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(PropertyList, EveryTypeRoundTrips)
{
    const QDateTime when(QDate(2024, 2, 29), QTime(13, 45, 10), Qt::UTC);
    const QVariantMap value{
        {"string", QString("Menu <1> & \"quotes\" ✓")},
        {"empty string", QString("")},
        {"integer", qint64(-42)},
        {"big integer", qint64(1) << 40},
        {"real", 2.5},
        {"tiny real", 1e-300},
        {"yes", true},
        {"no", false},
        {"data", QByteArray("\x00\x01\x02\xff", 4)},
        {"date", when},
        {"array", QVariantList{qint64(1), QString("two"), QVariantList{}, QVariantMap{}}},
        {"dict", QVariantMap{{"inner", QVariantMap{{"deep", qint64(3)}}}}},
    };
    QString error;
    const QByteArray xml = platform::PropertyList::toData(value, &error);
    ASSERT_FALSE(xml.isEmpty()) << error.toStdString();
    EXPECT_TRUE(xml.contains("<!DOCTYPE plist"));
    const QVariant read = platform::PropertyList::fromData(xml, &error);
    ASSERT_TRUE(read.isValid()) << error.toStdString();
    EXPECT_EQ(read, QVariant(value));
}

TEST(PropertyList, ReadsHandWrittenFiles)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>name</key>
	<string>Classic</string>
	<key>frame</key>
	<string>{{10, 20}, {300, 40}}</string>
	<key>count</key>
	<integer> 3 </integer>
	<key>scale</key>
	<real>1</real>
	<key>pixels</key>
	<data>
	AAEC
	/w==
	</data>
	<key>flag</key>
	<true/>
	<key>entity</key>
	<string>a &amp; b</string>
</dict>
</plist>
)";
    QString error;
    const QVariantMap map = platform::PropertyList::fromData(xml, &error).toMap();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(map.value("name"), QVariant(QString("Classic")));
    EXPECT_EQ(map.value("frame"), QVariant(QString("{{10, 20}, {300, 40}}")));
    EXPECT_EQ(map.value("count"), QVariant(qint64(3)));
    EXPECT_EQ(map.value("scale"), QVariant(1.0));
    EXPECT_EQ(map.value("pixels"), QVariant(QByteArray("\x00\x01\x02\xff", 4)));
    EXPECT_EQ(map.value("flag"), QVariant(true));
    EXPECT_EQ(map.value("entity"), QVariant(QString("a & b")));
}

TEST(PropertyList, DamagedTextIsRefusedWithAReason)
{
    struct Row
    {
        const char *name;
        QByteArray xml;
        const char *errorPart;
    };
    QByteArray deep = "<plist>";
    for (int i = 0; i < 2000; ++i)
        deep += "<array>";
    // Deep enough to overflow the stack of any reader that recursed per level.
    QByteArray deepest = "<plist>";
    for (int i = 0; i < 100000; ++i)
        deepest += "<array>";
    for (int i = 0; i < 100000; ++i)
        deepest += "</array>";
    deepest += "</plist>";
    const std::vector<Row> rows = {
        {"empty", "", "empty"},
        {"blank", " \n ", "empty"},
        {"only a declaration", "<?xml version=\"1.0\"?>", "line"},
        {"not xml", "\x89PNG\r\n\x1a\n garbage", "line"},
        {"other xml", "<html><body/></html>", "no property list"},
        {"truncated", "<plist><dict><key>a</key><string>b", "line"},
        {"key without value", "<plist><dict><key>a</key></dict></plist>", "has no value"},
        {"value without key", "<plist><dict><string>b</string></dict></plist>", "expected <key>"},
        {"unknown element", "<plist><color>red</color></plist>", "unknown element <color>"},
        {"bad integer", "<plist><integer>12abc</integer></plist>", "no integer"},
        {"bad real", "<plist><real>fast</real></plist>", "no real number"},
        {"bad base64", "<plist><data>!!!!</data></plist>", "base64"},
        {"bad date", "<plist><date>tomorrow</date></plist>", "no date"},
        {"two top values", "<plist><string>a</string><string>b</string></plist>", "one top value"},
        {"empty plist", "<plist></plist>", "empty"},
        {"nested element in a string", "<plist><string>a<b/></string></plist>", "line"},
        {"text between elements",
         "<plist><array>loose<string>a</string></array></plist>",
         "unexpected text"},
        {"deep nesting", deep, "too deeply"},
        {"100,000 nested arrays, closed", deepest, "too deeply"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_FALSE(platform::PropertyList::fromData(row.xml, &error).isValid());
        EXPECT_TRUE(error.contains(QLatin1String(row.errorPart))) << error.toStdString();
    }
}

TEST(PropertyList, EveryTruncationIsRefused)
{
    const QByteArray xml = platform::PropertyList::toData(QVariantMap{
        {"a", QVariantList{qint64(1), 2.5, QString("x")}}, {"b", QVariantMap{{"c", true}}}});
    ASSERT_FALSE(xml.isEmpty());
    for (qsizetype length = 0; length + 1 < xml.size(); ++length) {
        SCOPED_TRACE(length);
        const QByteArray cut = xml.left(length);
        // Cutting only the final newline or the closing tag's tail still loses the </plist>.
        QString error;
        EXPECT_FALSE(platform::PropertyList::fromData(cut, &error).isValid()) << cut.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(PropertyList, ValuesAPropertyListCannotHoldAreRefused)
{
    const std::vector<std::pair<const char *, QVariant>> rows = {
        {"null", QVariant()},
        {"url", QUrl("file:///x")},
        {"null inside a dict", QVariantMap{{"k", QVariant()}}},
    };
    for (const auto &[name, value] : rows) {
        SCOPED_TRACE(name);
        QString error;
        EXPECT_TRUE(platform::PropertyList::toData(value, &error).isEmpty());
        EXPECT_TRUE(error.contains("cannot store")) << error.toStdString();
    }
}

TEST(PropertyList, SpecialRealsRoundTrip)
{
    const QVariantList reals{std::nan(""), INFINITY, -INFINITY, 0.1};
    const QVariantList read
        = platform::PropertyList::fromData(platform::PropertyList::toData(reals)).toList();
    ASSERT_EQ(read.size(), 4);
    EXPECT_TRUE(std::isnan(read[0].toDouble()));
    EXPECT_EQ(read[1].toDouble(), INFINITY);
    EXPECT_EQ(read[2].toDouble(), -INFINITY);
    EXPECT_EQ(read[3].toDouble(), 0.1);
}

TEST(PropertyList, FilesAreWrittenAtomicallyAndMissingFilesReported)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("formats.plist");
    QString error;
    ASSERT_TRUE(platform::PropertyList::toFile(QVariantList{QString("PAL")}, path, &error))
        << error.toStdString();
    EXPECT_EQ(platform::PropertyList::fromFile(path, &error),
              QVariant(QVariantList{QString("PAL")}));
    // A value that cannot be written leaves the old file as it was.
    EXPECT_FALSE(platform::PropertyList::toFile(QVariant(), path, &error));
    EXPECT_EQ(platform::PropertyList::fromFile(path, &error),
              QVariant(QVariantList{QString("PAL")}));
    EXPECT_FALSE(platform::PropertyList::fromFile(dir.filePath("absent.plist"), &error).isValid());
    EXPECT_TRUE(error.contains("no such file")) << error.toStdString();
}

} // namespace
