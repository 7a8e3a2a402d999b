#include "Reelsmith/detail/ProcessPaths.h"
#include "Reelsmith/joiner/MovieHelperTask.h"
#include "Reelsmith/joiner/VideoJoiner.h"
#include "platform/KeyedArchiver.h"
#include "testsupport/MediaFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using fixtures::MediaFixtures;

namespace {

double probedDuration(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    if (!ffprobe.waitForFinished(60000) || ffprobe.exitCode() != 0)
        return -1;
    return ffprobe.readAllStandardOutput().trimmed().toDouble();
}

QStringList leftoverArchives()
{
    return QDir(Reelsmith::detail::privateTempRoot() + QStringLiteral("/Video--Joiner--Temp"))
        .entryList(
            {QStringLiteral("Video--Joiner--Temp-%1-*").arg(QCoreApplication::applicationPid())},
            QDir::Files);
}

} // namespace

TEST(VideoJoiner, ArchivesItsTracks)
{
    QTemporaryDir dir;
    VideoJoiner joiner;
    joiner.path = QStringLiteral("/out/joined.mp4");
    joiner.join(QStringLiteral("/in/a.mp4"), 0.0, 1.0);
    const VideoJoinerItemList before = joiner.tracks;
    joiner.join(QStringLiteral("/in/b.mp4"), 2.5, 0.5);
    EXPECT_EQ(before.size(), 1); // a new list each time
    ASSERT_EQ(joiner.tracks.size(), 2);

    const QString file = dir.filePath(QStringLiteral("joiner"));
    QString error;
    ASSERT_TRUE(platform::KeyedArchiver::archiveToFile(
        QVariant::fromValue(std::static_pointer_cast<QObject>(joiner.copy())), file, &error))
        << error.toStdString();
    std::shared_ptr<VideoJoiner> back = VideoJoiner::joinerWithPath(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path, joiner.path);
    ASSERT_EQ(back->tracks.size(), 2);
    EXPECT_EQ(back->tracks[1]->path, QStringLiteral("/in/b.mp4"));
    EXPECT_EQ(back->tracks[1]->position, 2.5);
    EXPECT_EQ(back->tracks[1]->rate, 0.5);
    EXPECT_EQ(back->tracks[0]->allCoderKeys(), (QStringList{"path", "position", "rate"}));
}

TEST(VideoJoiner, UnreadableArchiveIsNull)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("garbage"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("not an archive");
    out.close();
    EXPECT_FALSE(VideoJoiner::joinerWithPath(file));
    EXPECT_FALSE(VideoJoiner::joinerWithPath(dir.filePath(QStringLiteral("missing"))));
}

TEST(VideoJoiner, TempFilesArePrivateAndFresh)
{
    const QString a = VideoJoiner::tempFilePath();
    const QString b = VideoJoiner::tempFilePath();
    EXPECT_NE(a, b);
    EXPECT_EQ(QFileInfo(a).absolutePath(),
              Reelsmith::detail::privateTempRoot() + QStringLiteral("/Video--Joiner--Temp"));
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith(
        QStringLiteral("Video--Joiner--Temp-%1-").arg(QCoreApplication::applicationPid())));
}

TEST(VideoJoiner, ReelhandJoinsClipsAtTheirPositions)
{
    const QString clip = MediaFixtures::shared().h264AacMp4(2);
    ASSERT_FALSE(clip.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    ASSERT_TRUE(QFileInfo::exists(MovieHelperTask::helperPath()));
    QTemporaryDir dir;
    VideoJoiner joiner;
    joiner.path = dir.filePath(QStringLiteral("joined.mp4"));
    joiner.join(clip, 0.0, 1.0);
    joiner.join(clip, 2.0, 1.0);
    ASSERT_TRUE(joiner.exportMovie());
    EXPECT_NEAR(probedDuration(joiner.path), 4.0, 0.1);
    EXPECT_TRUE(leftoverArchives().isEmpty());
}

TEST(VideoJoiner, ReelhandRefusesWhatItCannotJoin)
{
    const QString clip = MediaFixtures::shared().h264AacMp4(2);
    ASSERT_FALSE(clip.isEmpty());
    struct Row
    {
        const char *name;
        QString second;
        double rate;
    };
    const Row rows[] = {
        {"a rate needs re-encoding", clip, 2.0},
        {"different streams", MediaFixtures::shared().audioOnlyWav(), 1.0},
        {"missing input", QStringLiteral("/nonexistent.mp4"), 1.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        VideoJoiner joiner;
        joiner.path = dir.filePath(QStringLiteral("joined.mp4"));
        joiner.join(clip, 0.0, 1.0);
        joiner.join(row.second, 2.0, row.rate);
        EXPECT_FALSE(joiner.exportMovie());
        EXPECT_FALSE(QFileInfo::exists(joiner.path));
        EXPECT_TRUE(leftoverArchives().isEmpty());
    }
}
