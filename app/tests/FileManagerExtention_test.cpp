// Where the application keeps its files: the private temporary root and its unique files, the
// default folders, and the free name for an output.

#include "app/AppExtention/Function/ApplicationInstanceLock.h"
#include "app/AppExtention/Function/FileManagerExtention.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Points the user's temporary and home folders into a scratch folder for each test.
class FileManagerExtentionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_scratch.isValid());
        m_oldTmp = qgetenv("TMPDIR");
        m_oldHome = qgetenv("HOME");
        m_oldData = qgetenv("XDG_DATA_HOME");
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        QDir(m_scratch.path()).mkpath("tmp");
        QDir(m_scratch.path()).mkpath("home");
        qputenv("TMPDIR", QFile::encodeName(m_scratch.filePath("tmp")));
        qputenv("HOME", QFile::encodeName(m_scratch.filePath("home")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_scratch.filePath("home/.local/share")));
    }
    void TearDown() override
    {
        qputenv("TMPDIR", m_oldTmp);
        qputenv("HOME", m_oldHome);
        qputenv("XDG_DATA_HOME", m_oldData);
        if (!m_oldConfig.isEmpty())
            qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }
    QString root() const { return m_scratch.filePath("tmp/org.discwright.Discwright"); }
    static int modeOf(const QString &path)
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777)
                                                                       : -1;
    }

    QTemporaryDir m_scratch;
    QByteArray m_oldTmp, m_oldHome, m_oldData, m_oldConfig;
};

TEST_F(FileManagerExtentionTest, TwoTempFilesAreTwoPrivateFiles)
{
    EXPECT_EQ(FileManagerExtention::tempRootPath(), root());
    const QString first = FileManagerExtention::tempFilePath("vc-video-converter-temp", "dvd");
    const QString second = FileManagerExtention::tempFilePath("vc-video-converter-temp", "dvd");
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    const QRegularExpression form(QRegularExpression::escape(root() + "/vc-video-converter-temp/")
                                  + "[^/]{8}\\.dvd$");
    for (const QString &path : {first, second}) {
        SCOPED_TRACE(qPrintable(path));
        EXPECT_TRUE(form.match(path).hasMatch());
        EXPECT_FALSE(path.contains("XXXXXXXX"));
        EXPECT_TRUE(QFileInfo(path).isFile());
        EXPECT_EQ(QFileInfo(path).size(), 0);
        EXPECT_EQ(modeOf(path), 0600);
    }
    EXPECT_EQ(modeOf(root()), 0700);
    EXPECT_EQ(modeOf(root() + "/vc-video-converter-temp"), 0700);
}

TEST_F(FileManagerExtentionTest, RemovingTheRootStartsAfresh)
{
    ASSERT_FALSE(FileManagerExtention::tempFilePath("work", "xml").isEmpty());
    FileManagerExtention::removeTempFiles();
    EXPECT_TRUE(QDir(root()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    const QString again = FileManagerExtention::tempFilePath("work", "xml");
    EXPECT_TRUE(QFileInfo(again).isFile());
    FileManagerExtention::removeTempFile("work");
    EXPECT_FALSE(QFileInfo::exists(root() + "/work"));
    EXPECT_TRUE(QFileInfo(root()).isDir());
}

// Regression: the lock lived in the runtime folder, so a second session with its own runtime
// folder took a lock of its own and emptied the root the first was working in. The lock is in the
// root now, and emptying the root must spare it or the lock would guard nothing.
TEST_F(FileManagerExtentionTest, EmptyingTheRootSparesTheInstanceLock)
{
    ApplicationInstanceLock lock;
    ASSERT_EQ(lock.lockPath(), root() + "/" + FileManagerExtention::instanceLockName());
    ASSERT_TRUE(lock.tryLock());
    ASSERT_FALSE(FileManagerExtention::tempFilePath("work", "xml").isEmpty());
    FileManagerExtention::removeTempFiles();
    EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({FileManagerExtention::instanceLockName()}));
    EXPECT_EQ(modeOf(root()), 0700);
    ApplicationInstanceLock second;
    EXPECT_FALSE(second.tryLock());
}

// A failure used to answer the template with its X's, one fixed name for every failure that the
// callers then wrote into.
TEST_F(FileManagerExtentionTest, NoFileMeansAnEmptyPath)
{
    struct Row
    {
        const char *name;
        QString folder, extension;
    };
    const Row rows[] = {
        {"folder name leaving the root", "../elsewhere", "dvd"},
        {"nested folder name", "a/b", "dvd"},
        {"empty folder name", "", "dvd"},
        {"extension with a separator", "work", "x/y"},
        {"path too long", "work", QString(3000, 'e')},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(FileManagerExtention::tempFilePath(row.folder, row.extension).isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(m_scratch.filePath("tmp/elsewhere")));

    // A file standing where the named folder should be.
    QDir().mkpath(root());
    QFile blocker(root() + "/blocked");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(FileManagerExtention::tempFilePath("blocked", "dvd").isEmpty());
}

TEST_F(FileManagerExtentionTest, ForeignRootIsNotUsed)
{
    // Someone else's link in place of the root would let them choose where our files go.
    ASSERT_TRUE(QFile::link(m_scratch.path(), root()));
    EXPECT_TRUE(FileManagerExtention::tempFilePath("work", "dvd").isEmpty());
}

// The temporary root is emptied at every start-up; a link planted in its place in a shared temporary
// folder used to have the user's own files deleted through it.
TEST_F(FileManagerExtentionTest, EmptyingTheRootNeverFollowsALink)
{
    const QString precious = m_scratch.filePath("documents");
    QDir().mkpath(precious);
    QFile file(precious + "/thesis.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(precious, root()));
    FileManagerExtention::removeTempFiles();
    EXPECT_TRUE(QFileInfo::exists(precious + "/thesis.txt"));
    EXPECT_FALSE(FileManagerExtention::isSymbolicLinkFileAtPath(root()));

    QDir().mkpath(root());
    ASSERT_TRUE(QFile::link(precious, root() + "/work"));
    FileManagerExtention::removeTempFile("work");
    EXPECT_TRUE(QFileInfo::exists(precious + "/thesis.txt"));
    EXPECT_FALSE(FileManagerExtention::isSymbolicLinkFileAtPath(root() + "/work"));
}

TEST_F(FileManagerExtentionTest, TouchSetsTheModificationTime)
{
    const QString path = FileManagerExtention::tempFilePath("work", "txt");
    ASSERT_FALSE(path.isEmpty());
    const QDateTime old = QDateTime::currentDateTime().addDays(-2);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    FileManagerExtention::touchFile(path);
    EXPECT_GT(QFileInfo(path).lastModified(), old.addDays(1));
}

TEST_F(FileManagerExtentionTest, LooseRootIsMadePrivate)
{
    QDir().mkpath(root());
    QFile::setPermissions(root(), QFileDevice::Permissions(0x7777));
    ASSERT_FALSE(FileManagerExtention::tempFilePath("work", "dvd").isEmpty());
    EXPECT_EQ(modeOf(root()), 0700);
}

TEST_F(FileManagerExtentionTest, FreeNameForAnOutput)
{
    const QString folder = m_scratch.filePath("a");
    QDir().mkpath(folder);
    EXPECT_EQ(FileManagerExtention::fullPathWithNumberIncreaseIfExist(folder + "/clip"),
              folder + "/clip.mov");
    for (const char *taken : {"clip.mov", "clip1.mov"}) {
        QFile file(folder + "/" + taken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(FileManagerExtention::fullPathWithNumberIncreaseIfExist(folder + "/clip"),
              folder + "/clip2.mov");
    EXPECT_EQ(FileManagerExtention::fullPathWithNumberIncreaseIfExist(folder + "/disc.iso"),
              folder + "/disc.iso");
    EXPECT_EQ(FileManagerExtention::fullPathWithNumberIncreaseIfExist("relative/clip"),
              "relative/clip.mov");
    // A dangling link takes its name too.
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/movie.mp4"));
    EXPECT_EQ(FileManagerExtention::fullPathWithNumberIncreaseIfExist(folder + "/movie.mp4"),
              folder + "/movie1.mp4");
}

TEST_F(FileManagerExtentionTest, FolderQuestions)
{
    const QString file = m_scratch.filePath("file");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_FALSE(FileManagerExtention::isDirectoryAtPath(m_scratch.filePath("missing")));
    EXPECT_FALSE(FileManagerExtention::isDirectoryAtPath(file));
    EXPECT_TRUE(FileManagerExtention::isDirectoryAtPath(m_scratch.path()));
    ASSERT_TRUE(QFile::link(file, m_scratch.filePath("link")));
    EXPECT_TRUE(FileManagerExtention::isSymbolicLinkFileAtPath(m_scratch.filePath("link")));
    EXPECT_FALSE(FileManagerExtention::isSymbolicLinkFileAtPath(file));
    EXPECT_FALSE(FileManagerExtention::isSymbolicLinkFileAtPath(m_scratch.filePath("missing")));

    FileManagerExtention::createDirectoryAtPathIfCan(file);
    EXPECT_TRUE(QFileInfo(file).isFile()) << "a file is never replaced by a folder";
    FileManagerExtention::createDirectoryAtPathIfCan(m_scratch.filePath("x/y/z"));
    EXPECT_TRUE(QFileInfo(m_scratch.filePath("x/y/z")).isDir());

    FileManagerExtention::prepareForCreateFilePath(m_scratch.filePath("x/y"));
    EXPECT_FALSE(QFileInfo::exists(m_scratch.filePath("x/y")));
    EXPECT_TRUE(QFileInfo(m_scratch.filePath("x")).isDir());
}

TEST_F(FileManagerExtentionTest, DefaultFoldersUnderTheHomeFolder)
{
    const QString home = QFileInfo(m_scratch.filePath("home")).canonicalFilePath();
    const QString id = "org.discwright.Discwright";
    auto standard = [&](QStandardPaths::StandardLocation location) {
        const QString base = QStandardPaths::writableLocation(location);
        EXPECT_TRUE(base.startsWith(m_scratch.filePath("home"))) << qPrintable(base);
        QDir().mkpath(base);
        return QFileInfo(base).canonicalFilePath() + "/" + id;
    };
    const QString movies = standard(QStandardPaths::MoviesLocation);
    struct Row
    {
        const char *name;
        QString path, expected;
    };
    const Row rows[] = {
        {"movies", FileManagerExtention::defaultOutputPath(), movies},
        {"music",
         FileManagerExtention::defaultOutputMusicPath(),
         standard(QStandardPaths::MusicLocation)},
        {"pictures",
         FileManagerExtention::defaultOutputScreenshotPath(),
         standard(QStandardPaths::PicturesLocation)},
        {"documents", FileManagerExtention::defaultSaveDocumentPath(), movies},
        {"projects", FileManagerExtention::projectPath(), movies + "/project"},
        {"library", FileManagerExtention::libraryPath(), movies + "/library"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.path, row.expected);
        EXPECT_TRUE(QFileInfo(row.path).isDir());
    }
    EXPECT_EQ(FileManagerExtention::defaultRecordPath(), movies + "/RecordWavePath.mov");
    EXPECT_EQ(FileManagerExtention::applicationSupportPath(),
              m_scratch.filePath("home/.local/share/") + id);
    EXPECT_FALSE(QFileInfo::exists(FileManagerExtention::applicationSupportPath()));
}

} // namespace
