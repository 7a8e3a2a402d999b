#include "Reelsmith/detail/ProcessPaths.h"
#include "Reelsmith/joiner/MovieHelperTask.h"
#include "Reelsmith/joiner/VideoJoiner.h"
#include "platform/KeyedArchiver.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
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

TEST(VideoJoiner, ReelhandEncodesWhatItCannotCopy)
{
    const QString clip = MediaFixtures::shared().h264AacMp4(2);
    const QString wav = MediaFixtures::shared().audioOnlyWav(); // 2 s, no picture
    const QString small = MediaFixtures::shared().wide169();    // 1 s, 320x180, no sound
    ASSERT_FALSE(clip.isEmpty() || wav.isEmpty() || small.isEmpty());
    struct Row
    {
        const char *name;
        QString second;
        double position;
        double rate;
        double duration;
    };
    const Row rows[] = {
        {"twice as fast lasts half as long", clip, 2.0, 2.0, 3.0},
        {"half as fast lasts twice as long", clip, 2.0, 0.5, 6.0},
        // A rate under atempo's lowest factor takes a chain of them.
        {"a quarter as fast", clip, 2.0, 0.25, 10.0},
        {"sound only: the picture goes black", wav, 2.0, 1.0, 4.0},
        {"another size, no sound: silence", small, 2.0, 1.0, 3.0},
        {"a gap before the second track", clip, 3.0, 2.0, 4.0},
        {"what overlaps the track before is cut", clip, 1.0, 2.0, 2.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        VideoJoiner joiner;
        joiner.path = dir.filePath(QStringLiteral("joined.mp4"));
        joiner.join(clip, 0.0, 1.0);
        joiner.join(row.second, row.position, row.rate);
        ASSERT_TRUE(joiner.exportMovie());
        EXPECT_NEAR(probedDuration(joiner.path), row.duration, 0.1);
        const QJsonArray streams
            = fixtures::ffprobeStreamsAndFormat(joiner.path).value("streams").toArray();
        ASSERT_EQ(streams.size(), 2);
        for (const auto &value : streams) {
            const QJsonObject stream = value.toObject();
            EXPECT_NEAR(stream.value("duration").toString().toDouble(), row.duration, 0.1)
                << stream.value("codec_type").toString().toStdString();
            if (stream.value("codec_type").toString() == u"video") {
                // The first track sets the picture.
                EXPECT_EQ(stream.value("width").toInt(), 320);
                EXPECT_EQ(stream.value("height").toInt(), 240);
            }
        }
        EXPECT_TRUE(leftoverArchives().isEmpty());
    }
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
        {"missing input", QStringLiteral("/nonexistent.mp4"), 1.0},
        {"missing input to encode", QStringLiteral("/nonexistent.mp4"), 2.0},
        {"a rate of 0", clip, 0.0},
        {"a negative rate", clip, -1.0},
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
