// A finished result goes to its name only while nothing is there.

#include "platform/ResultFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using platform::ResultPlacement;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ResultFile, ATakenNameKeepsWhatIsThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto at = [&](const char *name) { return dir.filePath(QString::fromUtf8(name)); };
    writeFile(at("result.iso"), "result");
    writeFile(at("result.dvdmedia/VIDEO_TS/VIDEO_TS.IFO"), "ifo");
    writeFile(at("mine"), "mine");
    writeFile(at("folder/inside"), "inside");
    ASSERT_TRUE(QDir().mkpath(at("empty")));
    ASSERT_TRUE(QFile::link(at("nowhere"), at("dangling")));

    struct Row
    {
        const char *from;
        const char *to;
    };
    const Row taken[] = {{"result.iso", "mine"},
                         {"result.iso", "folder"},
                         {"result.iso", "empty"},
                         {"result.iso", "dangling"},
                         {"result.dvdmedia", "mine"},
                         {"result.dvdmedia", "folder"},
                         {"result.dvdmedia", "empty"},
                         {"result.dvdmedia", "dangling"}};
    for (const Row &row : taken) {
        SCOPED_TRACE(std::string(row.from) + " onto " + row.to);
        QString error;
        EXPECT_EQ(platform::renameWithoutReplacing(at(row.from), at(row.to), &error),
                  ResultPlacement::DestinationTaken);
        EXPECT_EQ(error, QStringLiteral("a file is already at %1").arg(at(row.to)));
        EXPECT_TRUE(QFileInfo::exists(at(row.from)));
    }
    EXPECT_EQ(readAll(at("mine")), QByteArray("mine"));
    EXPECT_EQ(readAll(at("folder/inside")), QByteArray("inside"));
    EXPECT_TRUE(QDir(at("empty")).isEmpty());
    EXPECT_TRUE(QFileInfo(at("dangling")).isSymLink());

    // A free name takes the result whole, file or folder.
    EXPECT_EQ(platform::renameWithoutReplacing(at("result.iso"), at("Holiday.iso")),
              ResultPlacement::Placed);
    EXPECT_EQ(readAll(at("Holiday.iso")), QByteArray("result"));
    EXPECT_FALSE(QFileInfo::exists(at("result.iso")));
    EXPECT_EQ(platform::renameWithoutReplacing(at("result.dvdmedia"), at("Holiday")),
              ResultPlacement::Placed);
    EXPECT_EQ(readAll(at("Holiday/VIDEO_TS/VIDEO_TS.IFO")), QByteArray("ifo"));

    // Nothing to place is a failure that says what is missing, not a taken name.
    QString error;
    EXPECT_EQ(platform::renameWithoutReplacing(at("never"), at("free"), &error),
              ResultPlacement::Failed);
    EXPECT_TRUE(error.startsWith(QStringLiteral("cannot move"))) << qPrintable(error);
    EXPECT_FALSE(QFileInfo::exists(at("free")));
}

TEST(ResultFile, AnotherFileSystemIsSaidSoAndNothingMoves)
{
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        GTEST_SKIP() << "no second file system to move to";
    QTemporaryDir source;
    QTemporaryDir target(QStringLiteral("/dev/shm/resultfile-XXXXXX"));
    ASSERT_TRUE(source.isValid() && target.isValid());
    writeFile(source.filePath(QStringLiteral("dvd.iso")), "image");
    EXPECT_EQ(platform::renameWithoutReplacing(source.filePath(QStringLiteral("dvd.iso")),
                                               target.filePath(QStringLiteral("dvd.iso"))),
              ResultPlacement::OtherFileSystem);
    EXPECT_EQ(readAll(source.filePath(QStringLiteral("dvd.iso"))), QByteArray("image"));
    EXPECT_FALSE(QFileInfo::exists(target.filePath(QStringLiteral("dvd.iso"))));
}

} // namespace
