#include "app/production/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Discwright;

namespace {

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

} // namespace

TEST(WorkFolder, AFreshFolderNeverTakesAnExistingName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row
    {
        const char *name;
        QString preferred;
        QStringList existing;
        QString made;
    };
    const std::vector<Row> rows = {
        {"a free name is taken as it is", "a/temp", {}, "a/temp"},
        {"a taken name gets a number", "b/temp", {"b/temp"}, "b/temp-1"},
        {"the number goes before the extension",
         "c/dvd-flow.dir",
         {"c/dvd-flow.dir"},
         "c/dvd-flow-1.dir"},
        {"numbers already taken are skipped",
         "d/temp",
         {"d/temp", "d/temp-1", "d/temp-2"},
         "d/temp-3"},
        {"a file counts as taken", "e/temp", {"e/temp=file"}, "e/temp-1"},
        {"a dangling link counts as taken", "f/temp", {"f/temp=link"}, "f/temp-1"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        for (const QString &existing : row.existing) {
            const QString name = existing.section(u'=', 0, 0);
            const QString kind = existing.section(u'=', 1, 1);
            if (kind == QStringLiteral("file"))
                writeFile(dir.filePath(name), "x");
            else if (kind == QStringLiteral("link"))
                ASSERT_TRUE(
                    QDir().mkpath(QFileInfo(dir.filePath(name)).path())
                    && QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(name)));
            else
                ASSERT_TRUE(QDir().mkpath(dir.filePath(name)));
        }
        QString error;
        const QString made = WorkFolder::makeFresh(dir.filePath(row.preferred), &error);
        EXPECT_EQ(made, dir.filePath(row.made)) << qPrintable(error);
        EXPECT_TRUE(QFileInfo(made).isDir());
        EXPECT_TRUE(QDir(made).isEmpty());
    }
    // Two calls never answer the same folder.
    EXPECT_NE(WorkFolder::makeFresh(dir.filePath(QStringLiteral("g"))),
              WorkFolder::makeFresh(dir.filePath(QStringLiteral("g"))));
}

TEST(WorkFolder, AResultNeverReplacesWhatIsAtItsDestination)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("old/VIDEO_TS/old.IFO")), "old");

    // Nothing to move: the destination stays as it was.
    QString error;
    EXPECT_FALSE(WorkFolder::moveIntoPlace(
        dir.filePath(QStringLiteral("none")), dir.filePath(QStringLiteral("old")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("old/VIDEO_TS/old.IFO"))), QByteArray("old"));

    // Whatever took the name (a folder, a file, an empty folder, a dangling link) stays, and so
    // does the result, where it was made.
    writeFile(dir.filePath(QStringLiteral("work/dvd.dvdmedia/VIDEO_TS/new.IFO")), "new");
    writeFile(dir.filePath(QStringLiteral("work/dvd.iso")), "image");
    writeFile(dir.filePath(QStringLiteral("file")), "mine");
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("empty"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")),
                            dir.filePath(QStringLiteral("dangling"))));
    struct Row
    {
        const char *result;
        const char *taken;
    };
    const Row rows[] = {{"work/dvd.dvdmedia", "old"},
                        {"work/dvd.dvdmedia", "file"},
                        {"work/dvd.iso", "old"},
                        {"work/dvd.iso", "file"},
                        {"work/dvd.iso", "empty"},
                        {"work/dvd.iso", "dangling"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.result) + " onto " + row.taken);
        error.clear();
        EXPECT_FALSE(WorkFolder::moveIntoPlace(dir.filePath(QString::fromUtf8(row.result)),
                                               dir.filePath(QString::fromUtf8(row.taken)),
                                               &error));
        EXPECT_TRUE(error.contains(QStringLiteral("already"))) << qPrintable(error);
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QString::fromUtf8(row.result))));
    }
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("old/VIDEO_TS/old.IFO"))), QByteArray("old"));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("file"))), QByteArray("mine"));
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("empty"))).isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("dangling"))).isSymLink());

    // A free destination takes the result, into parents made on the way.
    ASSERT_TRUE(WorkFolder::moveIntoPlace(dir.filePath(QStringLiteral("work/dvd.dvdmedia")),
                                          dir.filePath(QStringLiteral("new")),
                                          &error))
        << qPrintable(error);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("new/VIDEO_TS/new.IFO"))), QByteArray("new"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("work/dvd.dvdmedia"))));
    ASSERT_TRUE(WorkFolder::moveIntoPlace(dir.filePath(QStringLiteral("work/dvd.iso")),
                                          dir.filePath(QStringLiteral("out/deeper/x.iso")),
                                          &error))
        << qPrintable(error);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("out/deeper/x.iso"))), QByteArray("image"));
}

TEST(WorkFolder, AResultMovesToAnotherFileSystemWhole)
{
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        GTEST_SKIP() << "no second file system to move to";
    QTemporaryDir source;
    QTemporaryDir target(QStringLiteral("/dev/shm/workfolder-XXXXXX"));
    ASSERT_TRUE(source.isValid() && target.isValid());
    writeFile(source.filePath(QStringLiteral("dvd.dvdmedia/VIDEO_TS/VTS_01_1.VOB")), "vob");
    writeFile(source.filePath(QStringLiteral("dvd.dvdmedia/AUDIO_TS/.keep")), "");
    QString error;
    ASSERT_TRUE(WorkFolder::moveIntoPlace(source.filePath(QStringLiteral("dvd.dvdmedia")),
                                          target.filePath(QStringLiteral("Holiday")),
                                          &error))
        << qPrintable(error);
    EXPECT_EQ(readAll(target.filePath(QStringLiteral("Holiday/VIDEO_TS/VTS_01_1.VOB"))),
              QByteArray("vob"));
    EXPECT_TRUE(QFileInfo::exists(target.filePath(QStringLiteral("Holiday/AUDIO_TS/.keep"))));
    EXPECT_FALSE(QFileInfo::exists(source.filePath(QStringLiteral("dvd.dvdmedia"))));
    // No staging copy is left beside the result.
    EXPECT_EQ(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Holiday")});

    // A name taken on the other file system stays as it is, and no staging copy is left either.
    writeFile(source.filePath(QStringLiteral("dvd.iso")), "image");
    writeFile(target.filePath(QStringLiteral("Holiday.iso")), "mine");
    EXPECT_FALSE(WorkFolder::moveIntoPlace(source.filePath(QStringLiteral("dvd.iso")),
                                           target.filePath(QStringLiteral("Holiday.iso")),
                                           &error));
    EXPECT_TRUE(error.contains(QStringLiteral("already"))) << qPrintable(error);
    EXPECT_EQ(readAll(target.filePath(QStringLiteral("Holiday.iso"))), QByteArray("mine"));
    EXPECT_EQ(readAll(source.filePath(QStringLiteral("dvd.iso"))), QByteArray("image"));
    EXPECT_EQ(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("Holiday"), QStringLiteral("Holiday.iso")}));
}

TEST(WorkFolder, RemovingALinkLeavesWhatItPointsAt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("kept/file")), "kept");
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("kept")), dir.filePath(QStringLiteral("link"))));
    EXPECT_TRUE(WorkFolder::removeItem(dir.filePath(QStringLiteral("link"))));
    EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("link"))).isSymLink());
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("kept/file"))), QByteArray("kept"));
    EXPECT_TRUE(WorkFolder::removeItem(dir.filePath(QStringLiteral("kept"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("kept"))));
    EXPECT_TRUE(WorkFolder::removeItem(dir.filePath(QStringLiteral("never"))));
}
