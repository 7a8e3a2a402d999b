// The record of production work folders: what a run killed before its end left in the person's
// folders goes at the next start or at the next run into the same folder, and nothing without
// the program's marker is ever removed.

#include "app/production/WorkFolderRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Discwright;

namespace {

class WorkFolderRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settings.isValid() && m_dir.isValid());
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "work-folder-record-test";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        QSettings().clear();
    }

    QString folder(const QString &name, bool marked)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path + "/dvd-flow.dir"));
        QFile big(path + "/dvd-flow.dir/VTS_01_1.VOB");
        EXPECT_TRUE(big.open(QIODevice::WriteOnly));
        if (marked) {
            EXPECT_TRUE(WorkFolderRecord::record(path));
        }
        return path;
    }

    // A note as a process that is gone left it: a finished child's process id.
    static void noteOfADeadRun(const QString &path)
    {
        QProcess child;
        child.start("sleep", {"0.1"});
        ASSERT_TRUE(child.waitForStarted(10000));
        const qint64 pid = child.processId();
        ASSERT_TRUE(child.waitForFinished(10000));
        QSettings settings;
        QStringList notes = settings.value("ProductionWorkFolders").toStringList();
        notes.append(QStringLiteral("%1:%2").arg(pid).arg(path));
        settings.setValue("ProductionWorkFolders", notes);
    }

    QTemporaryDir m_settings;
    QTemporaryDir m_dir;
};

TEST_F(WorkFolderRecordTest, ARunNotesItsFolderUntilItsEnd)
{
    const QString work = folder("out/temp", true);
    EXPECT_TRUE(QFileInfo(work + "/" + WorkFolderRecord::markerName()).isFile());
    EXPECT_EQ(WorkFolderRecord::recorded(), QStringList({QDir::cleanPath(work)}));
    // A live run's folder is no leftover, neither at a start nor for a run beside it.
    EXPECT_EQ(WorkFolderRecord::removeRecordedLeftovers(), 0);
    EXPECT_EQ(WorkFolderRecord::removeMarkedLeftovers(m_dir.filePath("out/temp")), 0);
    EXPECT_TRUE(QFileInfo(work).isDir());
    WorkFolderRecord::clear(work);
    EXPECT_TRUE(WorkFolderRecord::recorded().isEmpty());
}

// Regression: a production killed by SIGTERM left its work files in the output folder, and a later
// successful run left them there too.
TEST_F(WorkFolderRecordTest, AStartRemovesTheMarkedFoldersOfRunsThatAreGone)
{
    const QString killed = folder("first/temp", true);
    WorkFolderRecord::clear(killed);
    noteOfADeadRun(killed);
    // Noted, but the person's own folder now: no marker, so it stays.
    const QString own = folder("second/temp", false);
    noteOfADeadRun(own);

    EXPECT_EQ(WorkFolderRecord::removeRecordedLeftovers(), 1);
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_TRUE(QFileInfo(own + "/dvd-flow.dir").isDir());
    EXPECT_TRUE(WorkFolderRecord::recorded().isEmpty());
}

TEST_F(WorkFolderRecordTest, ARunIntoTheSameFolderRemovesMarkedLeftoversOnly)
{
    const QString leftover = folder("out/temp", true);
    const QString second = folder("out/temp-2", true);
    // Killed runs whose notes were lost (a settings file reset, another machine).
    WorkFolderRecord::clear(leftover);
    WorkFolderRecord::clear(second);
    const QString own = folder("out/temp-1", false);
    const QString other = folder("out/temporary", true);
    WorkFolderRecord::clear(other);

    EXPECT_EQ(WorkFolderRecord::removeMarkedLeftovers(m_dir.filePath("out/temp")), 2);
    EXPECT_FALSE(QFileInfo::exists(leftover));
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_TRUE(QFileInfo(own).isDir());
    EXPECT_TRUE(QFileInfo(other).isDir()) << "not a name the run would take";
}

} // namespace
