// The shell's resources the build makes beside the program: pictures, the help document, the
// format lists with a picture for every item, and the string table.

#include "platform/PropertyList.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QDir kResources(QStringLiteral(DW_BINARY_DIR "/resources"));

TEST(ShellResources, PicturesOfTheShell)
{
    for (const char *name :
         {"preview_dvd", "preview_dvd 2", "Previous", "Previous 2", "DefaultImage"}) {
        SCOPED_TRACE(name);
        const QImage image(kResources.filePath(QString::fromUtf8(name) + ".png"));
        EXPECT_FALSE(image.isNull());
    }
    // The two states of each button must look different.
    EXPECT_NE(QImage(kResources.filePath("preview_dvd.png")),
              QImage(kResources.filePath("preview_dvd 2.png")));
    EXPECT_NE(QImage(kResources.filePath("Previous.png")),
              QImage(kResources.filePath("Previous 2.png")));
}

TEST(ShellResources, HelpDocumentIsAPdf)
{
    QFile pdf(kResources.filePath("Discwright Help.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray content = pdf.readAll();
    EXPECT_TRUE(content.startsWith("%PDF-"));
    EXPECT_TRUE(content.trimmed().endsWith("%%EOF"));
}

TEST(ShellResources, EveryFormatItemHasADescriptionAndAPicture)
{
    QString error;
    const QVariantMap list
        = platform::PropertyList::fromFile(kResources.filePath("FormatData.plist"), &error).toMap();
    const QVariantMap info
        = platform::PropertyList::fromFile(kResources.filePath("FormatInfo.plist"), &error).toMap();
    for (const char *category : {"Video", "CommonAudio", "CommonVideo", "Apple Software"})
        EXPECT_TRUE(list.contains(category)) << category;
    int audioOnly = 0;
    bool hasMp4 = false;
    for (const QVariant &category : list) {
        for (const QVariant &item : category.toMap().value("ItemsArray").toList()) {
            const QString title = item.toMap().value("Title").toString();
            SCOPED_TRACE(qPrintable(title));
            hasMp4 = hasMp4 || title == "MPEG-4 Movie(*.mp4)";
            ASSERT_TRUE(info.contains(title));
            const QVariantMap description = info.value(title).toMap();
            EXPECT_FALSE(description.value("PathExtention").toString().isEmpty());
            const bool video = description.value("IsVideo").toBool();
            audioOnly += video ? 0 : 1;
            QStringList keys = {"Codec", "SampleRate", "Channel", "BitRate"};
            if (video)
                keys += {"VideoCodec", "FrameRate", "Resolution", "VideoBitRate"};
            for (const QString &key : keys) {
                const QVariantMap setting = description.value(key).toMap();
                const QString shown = setting.value("Default").toString();
                bool defaultListed = false;
                for (const QVariant &entry : setting.value("ValueArray").toList())
                    defaultListed = defaultListed || entry.toMap().value("Show") == shown;
                EXPECT_TRUE(defaultListed) << qPrintable(key);
            }
            EXPECT_FALSE(
                QImage(kResources.filePath(item.toMap().value("ImageName").toString() + ".png"))
                    .isNull());
        }
    }
    EXPECT_TRUE(hasMp4);
    EXPECT_GE(audioOnly, 1);
}

TEST(ShellResources, StringTableIsInstalled)
{
    QString error;
    const auto table = platform::StringTable::fromFile(
        kResources.filePath(platform::StringTable::fileName()), &error);
    ASSERT_TRUE(table) << qPrintable(error);
    EXPECT_TRUE(table->contains("My Disc") || table->contains("Ready to burn"));
}

} // namespace
