// Archive files: written whole or not at all, read back, and clear errors for missing files and
// folders.

#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedObject.h"
#include "platform/KeyedUnarchiver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

class FileRecord : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString title MEMBER m_title)
    Q_PROPERTY(QByteArray payload MEMBER m_payload)
public:
    QStringList allCoderKeys() const override { return {"title", "payload"}; }
    QString m_title;
    QByteArray m_payload;
};
DW_REGISTER_CLASS(FileRecord)

namespace {

QVariant record(const QString &title, qsizetype payloadBytes = 16)
{
    auto made = std::make_shared<FileRecord>();
    made->m_title = title;
    made->m_payload = QByteArray(payloadBytes, 'p');
    return QVariant::fromValue(ObjectRef(made));
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString titleIn(const QString &path)
{
    auto decoded = std::dynamic_pointer_cast<FileRecord>(
        platform::KeyedUnarchiver::unarchiveFile(path).value<ObjectRef>());
    return decoded ? decoded->m_title : QString();
}

TEST(ArchiveFile, WritesAndReadsBackReplacingTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("disc.archive");
    QString error;
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(record("first"), path, &error))
        << error.toStdString();
    EXPECT_EQ(titleIn(path), "first");
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(record("second"), path, &error))
        << error.toStdString();
    EXPECT_EQ(titleIn(path), "second");
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"disc.archive"}));
}

TEST(ArchiveFile, MissingFileIsReportedClearly)
{
    QTemporaryDir dir;
    QString error;
    const QString path = dir.filePath("absent.archive");
    EXPECT_FALSE(platform::KeyedUnarchiver::unarchiveFile(path, &error).isValid());
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains("no such file")) << error.toStdString();
}

TEST(ArchiveFile, DamagedFileNamesTheFileAndTheReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("damaged.archive");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an archive at all");
    file.close();
    QString error;
    EXPECT_FALSE(platform::KeyedUnarchiver::unarchiveFile(path, &error).isValid());
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains("not a keyed archive")) << error.toStdString();
}

TEST(ArchiveFile, MissingFolderFailsWithoutTouchingOtherFiles)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("disc.archive");
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(record("kept"), existing));
    const QByteArray before = contents(existing);

    const QString elsewhere = dir.filePath("no/such/folder/disc.archive");
    QString error;
    EXPECT_FALSE(platform::KeyedArchiver::archiveToFile(record("lost"), elsewhere, &error));
    EXPECT_TRUE(error.contains("does not exist")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(elsewhere));
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
    EXPECT_EQ(contents(existing), before);
}

TEST(ArchiveFile, GraphThatCannotBeArchivedLeavesTheOldFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("disc.archive");
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(record("kept"), path));
    const QByteArray before = contents(path);
    QString error;
    EXPECT_FALSE(platform::KeyedArchiver::archiveToFile(
        QVariantList{record("new"), QUrl("x:y")}, path, &error));
    EXPECT_TRUE(error.contains("QUrl")) << error.toStdString();
    EXPECT_EQ(contents(path), before);
    EXPECT_EQ(titleIn(path), "kept");
}

// The disk fills up halfway through the new file: the process's file-size limit makes the write
// fail after part of the data went out, which is what a full disk does. The old file must survive
// whole.
TEST(ArchiveFile, WriteThatFailsHalfwayLeavesTheOldFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("disc.archive");
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(record("kept", 1000), path));
    const QByteArray before = contents(path);

    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = original;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written
        = platform::KeyedArchiver::archiveToFile(record("too big", 1 << 20), path, &error);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(contents(path), before);
    EXPECT_EQ(titleIn(path), "kept");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"disc.archive"}));
}

// Reading an archive file looks at the size and the first bytes before it reads the rest: each
// refusal says why, and a large stray file (sparse here) is never read whole.
TEST(ArchiveFile, FilesThatCannotBeArchivesAreRefusedBeforeReading)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.archive");
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(record("fine"), good));
    struct Row
    {
        const char *name;
        QByteArray header;
        qint64 size;
        const char *reason;
    };
    const Row rows[] = {
        {"empty file", QByteArray(), 0, "the file is empty"},
        {"text", QByteArray("<?xml version=\"1.0\"?>"), 0, "no binary property list"},
        {"large file of something else",
         QByteArray("\x1a\x45\xdf\xa3"),
         qint64(2) << 30,
         "too large"},
        {"large file with the header", QByteArray("bplist00"), qint64(3) << 30, "too large"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath("candidate");
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(row.header);
        if (row.size > 0) {
            ASSERT_TRUE(out.resize(row.size));
        }
        out.close();
        QByteArray data;
        QString error;
        EXPECT_FALSE(platform::KeyedUnarchiver::readArchiveFile(path, &data, &error));
        EXPECT_TRUE(error.contains(QLatin1String(row.reason))) << error.toStdString();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(data.isEmpty());
        QString unarchiveError;
        EXPECT_FALSE(platform::KeyedUnarchiver::unarchiveFile(path, &unarchiveError).isValid());
        EXPECT_EQ(unarchiveError, error);
        QFile::remove(path);
    }

    QByteArray data;
    QString error;
    EXPECT_FALSE(platform::KeyedUnarchiver::readArchiveFile(dir.path(), &data, &error));
    EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
    EXPECT_TRUE(platform::KeyedUnarchiver::readArchiveFile(good, &data, &error));
    EXPECT_EQ(data, contents(good));
}

} // namespace

#include "ArchiveFile_test.moc"
