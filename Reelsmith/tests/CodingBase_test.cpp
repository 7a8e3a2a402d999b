#include "Reelsmith/archiving/CodingBase.h"
#include "platform/ClassRegistry.h"
#include "platform/TryBlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class CodingNote : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER m_text)
public:
    Q_INVOKABLE CodingNote() = default;
    QStringList allCoderKeys() const override { return {QStringLiteral("text")}; }
    QString m_text;
};
using CodingNoteRef = std::shared_ptr<CodingNote>;
using CodingNoteList = QList<CodingNoteRef>;

class CodingRecord : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(int count MEMBER m_count)
    Q_PROPERTY(double ratio MEMBER m_ratio)
    Q_PROPERTY(CodingNoteRef first MEMBER m_first)
    Q_PROPERTY(CodingNoteRef second MEMBER m_second)
    Q_PROPERTY(CodingNoteList notes MEMBER m_notes)
public:
    Q_INVOKABLE CodingRecord() = default;
    QStringList allCoderKeys() const override
    {
        return {QStringLiteral("name"),
                QStringLiteral("count"),
                QStringLiteral("ratio"),
                QStringLiteral("first"),
                QStringLiteral("second"),
                QStringLiteral("notes")};
    }
    QString m_name = QStringLiteral("untitled");
    int m_count = 7;
    double m_ratio = 0.5;
    CodingNoteRef m_first;
    CodingNoteRef m_second;
    CodingNoteList m_notes;
};

// An older form of the record: only the name, plus a value the current record does not keep.
class CodingRecordV1 : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(QString retired MEMBER m_retired)
public:
    Q_INVOKABLE CodingRecordV1() = default;
    QStringList allCoderKeys() const override
    {
        return {QStringLiteral("name"), QStringLiteral("retired")};
    }
    QString m_name;
    QString m_retired;
};

// The record's keys with a count that no longer reads as a number.
class CodingRecordBadCount : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER m_name)
    Q_PROPERTY(QString count MEMBER m_count)
    Q_PROPERTY(double ratio MEMBER m_ratio)
public:
    Q_INVOKABLE CodingRecordBadCount() = default;
    QStringList allCoderKeys() const override
    {
        return {QStringLiteral("name"), QStringLiteral("count"), QStringLiteral("ratio")};
    }
    QString m_name;
    QString m_count;
    double m_ratio = 0;
};

// Lists a key it has no property for.
class CodingRecordBrokenKey : public CodingBase
{
    Q_OBJECT
public:
    Q_INVOKABLE CodingRecordBrokenKey() = default;
    QStringList allCoderKeys() const override { return {QStringLiteral("missing")}; }
};

DW_REGISTER_CLASS(CodingNote)
DW_REGISTER_CLASS(CodingRecord)
DW_REGISTER_CLASS(CodingRecordV1)
DW_REGISTER_CLASS(CodingRecordBadCount)
DW_REGISTER_CLASS(CodingRecordBrokenKey)

namespace {

// Counts the blocks in which tryBlock caught an exception, and for which receiver.
class TryBlockWatch
{
public:
    TryBlockWatch()
    {
        m_previous = platform::setTryBlockHandler(
            [this](const QObject *receiver, const std::function<void()> &block) {
                try {
                    block();
                } catch (const platform::Exception &) {
                    ++caught;
                    lastReceiver = receiver;
                }
            });
    }
    ~TryBlockWatch() { platform::setTryBlockHandler(m_previous); }

    int caught = 0;
    const QObject *lastReceiver = nullptr;

private:
    platform::TryBlockHandler m_previous;
};

CodingNoteRef note(const QString &text)
{
    auto made = std::make_shared<CodingNote>();
    made->m_text = text;
    return made;
}

class CodingBaseFiles : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(CodingBaseFiles, RoundTripKeepsValuesAndSharedObjects)
{
    CodingRecord saved;
    saved.m_name = QStringLiteral("Holiday");
    saved.m_count = 42;
    saved.m_ratio = 1.25;
    const CodingNoteRef shared = note(QStringLiteral("shared"));
    saved.m_first = shared;
    saved.m_second = shared;
    saved.m_notes = {shared, note(QStringLiteral("other"))};
    ASSERT_TRUE(saved.writeToFileAtomically(path(QStringLiteral("record.config")), true))
        << saved.lastError().toStdString();

    CodingRecord loaded;
    ASSERT_TRUE(loaded.loadWithContentsOfFile(path(QStringLiteral("record.config"))))
        << loaded.lastError().toStdString();
    EXPECT_EQ(loaded.m_name, QStringLiteral("Holiday"));
    EXPECT_EQ(loaded.m_count, 42);
    EXPECT_DOUBLE_EQ(loaded.m_ratio, 1.25);
    ASSERT_TRUE(loaded.m_first);
    EXPECT_EQ(loaded.m_first->m_text, QStringLiteral("shared"));
    EXPECT_EQ(loaded.m_first.get(), loaded.m_second.get());
    ASSERT_EQ(loaded.m_notes.size(), 2);
    EXPECT_EQ(loaded.m_notes[0].get(), loaded.m_first.get());
    EXPECT_EQ(loaded.m_notes[1]->m_text, QStringLiteral("other"));
}

TEST_F(CodingBaseFiles, AbsentKeysKeepTheirInitialValuesAndForeignKeysAreIgnored)
{
    CodingRecordV1 old;
    old.m_name = QStringLiteral("Old");
    old.m_retired = QStringLiteral("gone");
    ASSERT_TRUE(old.writeToFileAtomically(path(QStringLiteral("old.config"))));

    CodingRecord loaded;
    EXPECT_TRUE(loaded.loadWithContentsOfFile(path(QStringLiteral("old.config"))));
    EXPECT_EQ(loaded.m_name, QStringLiteral("Old"));
    EXPECT_EQ(loaded.m_count, 7);
    EXPECT_DOUBLE_EQ(loaded.m_ratio, 0.5);
    EXPECT_FALSE(loaded.m_first);
}

TEST_F(CodingBaseFiles, DamagedFileGoesThroughTryBlockAndLeavesDefaults)
{
    CodingRecord good;
    good.m_name = QStringLiteral("Good");
    ASSERT_TRUE(good.writeToFileAtomically(path(QStringLiteral("good.config"))));
    QFile goodFile(path(QStringLiteral("good.config")));
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray archive = goodFile.readAll();

    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"text that is no property list", QByteArray("this is not an archive\n")},
        {"empty file", QByteArray()},
        {"archive cut in half", archive.left(archive.size() / 2)},
        {"property list without the archive layout",
         QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                    "<key>name</key><string>x</string></dict></plist>\n")},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QString file = path(QStringLiteral("damaged.config"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(row.bytes);
        out.close();

        TryBlockWatch watch;
        CodingRecord loaded;
        EXPECT_FALSE(loaded.loadWithContentsOfFile(file));
        EXPECT_EQ(watch.caught, 1);
        EXPECT_EQ(watch.lastReceiver, &loaded);
        EXPECT_FALSE(loaded.lastError().isEmpty());
        EXPECT_EQ(loaded.m_name, QStringLiteral("untitled"));
        EXPECT_EQ(loaded.m_count, 7);
    }
}

// A stray large file is refused from its size, never read whole: both files here are sparse
// 3 GiB files, which reading whole would take seconds and gigabytes of memory.
TEST_F(CodingBaseFiles, LargeFileIsRefusedUnread)
{
    struct Case
    {
        const char *name;
        QByteArray header;
        const char *reason;
    };
    const Case cases[] = {
        {"binary property-list header", QByteArray("bplist00"), "too large"},
        {"anything else", QByteArray("RIFF"), "too large"},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QString file = path(QStringLiteral("large.config"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(row.header);
        ASSERT_TRUE(out.resize(qint64(3) << 30));
        out.close();

        TryBlockWatch watch;
        CodingRecord loaded;
        EXPECT_FALSE(loaded.loadWithContentsOfFile(file));
        EXPECT_EQ(watch.caught, 1);
        EXPECT_TRUE(loaded.lastError().contains(QLatin1String(row.reason)))
            << loaded.lastError().toStdString();
        EXPECT_EQ(loaded.m_name, QStringLiteral("untitled"));
        QFile::remove(file);
    }
}

TEST_F(CodingBaseFiles, MissingFileChangesNothingQuietly)
{
    TryBlockWatch watch;
    CodingRecord loaded;
    loaded.m_name = QStringLiteral("Kept");
    EXPECT_FALSE(loaded.loadWithContentsOfFile(path(QStringLiteral("nowhere.config"))));
    EXPECT_EQ(watch.caught, 0);
    EXPECT_EQ(loaded.m_name, QStringLiteral("Kept"));
}

TEST_F(CodingBaseFiles, ValueThatCannotBeTakenStopsTheLoadAtThatKey)
{
    CodingRecordBadCount bad;
    bad.m_name = QStringLiteral("Before");
    bad.m_count = QStringLiteral("many");
    bad.m_ratio = 9.0;
    ASSERT_TRUE(bad.writeToFileAtomically(path(QStringLiteral("bad.config"))));

    TryBlockWatch watch;
    CodingRecord loaded;
    EXPECT_FALSE(loaded.loadWithContentsOfFile(path(QStringLiteral("bad.config"))));
    EXPECT_EQ(watch.caught, 1);
    EXPECT_EQ(loaded.m_name, QStringLiteral("Before"));
    EXPECT_EQ(loaded.m_count, 7);
    EXPECT_DOUBLE_EQ(loaded.m_ratio, 0.5);
}

TEST_F(CodingBaseFiles, SaveCreatesFoldersAndReplacesTheFileWhole)
{
    const QString file = path(QStringLiteral("a/b/c/user.config"));
    CodingRecord record;
    record.m_name = QStringLiteral("First");
    EXPECT_TRUE(record.writeToFileAtomically(file, false));
    record.m_name = QStringLiteral("Second");
    EXPECT_TRUE(record.writeToFileAtomically(file, false));
    EXPECT_EQ(QDir(path(QStringLiteral("a/b/c"))).entryList(QDir::Files),
              QStringList{QStringLiteral("user.config")});

    CodingRecord loaded;
    ASSERT_TRUE(loaded.loadWithContentsOfFile(file));
    EXPECT_EQ(loaded.m_name, QStringLiteral("Second"));
}

TEST_F(CodingBaseFiles, KeyWithoutPropertyGoesThroughTryBlockAndWritesNothing)
{
    TryBlockWatch watch;
    CodingRecordBrokenKey broken;
    const QString file = path(QStringLiteral("broken.config"));
    EXPECT_FALSE(broken.writeToFileAtomically(file));
    EXPECT_EQ(watch.caught, 1);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(broken.lastError().isEmpty());
}

TEST_F(CodingBaseFiles, FailedWriteIsReportedAndKeepsTheOldFile)
{
    const QString file = path(QStringLiteral("locked/user.config"));
    CodingRecord record;
    record.m_name = QStringLiteral("Old");
    ASSERT_TRUE(record.writeToFileAtomically(file));
    // A parent that is a file cannot hold the new one, whatever the user's rights.
    const QString blocked = path(QStringLiteral("locked/user.config/inner.config"));
    record.m_name = QStringLiteral("New");
    EXPECT_FALSE(record.writeToFileAtomically(blocked));
    EXPECT_FALSE(record.lastError().isEmpty());

    CodingRecord loaded;
    ASSERT_TRUE(loaded.loadWithContentsOfFile(file));
    EXPECT_EQ(loaded.m_name, QStringLiteral("Old"));
}

TEST_F(CodingBaseFiles, RecordWithoutKeysWritesAnEmptyArchive)
{
    CodingBase base;
    const QString file = path(QStringLiteral("empty.config"));
    ASSERT_TRUE(base.writeToFileAtomically(file));
    EXPECT_GT(QFileInfo(file).size(), 0);

    CodingRecord loaded;
    loaded.m_name = QStringLiteral("Kept");
    EXPECT_TRUE(loaded.loadWithContentsOfFile(file));
    EXPECT_EQ(loaded.m_name, QStringLiteral("Kept"));
}

TEST(CodingBase, CopyIsShallowAndTakesCurrentValues)
{
    CodingRecord record;
    record.m_name = QStringLiteral("Now");
    record.m_first = note(QStringLiteral("x"));
    record.m_notes = {record.m_first};
    auto copied = std::dynamic_pointer_cast<CodingRecord>(record.copyWithZone());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->m_name, QStringLiteral("Now"));
    EXPECT_EQ(copied->m_first.get(), record.m_first.get());
    EXPECT_EQ(copied->m_notes, record.m_notes);
}

} // namespace

#include "CodingBase_test.moc"
