#include "Reelsmith/convert/LMMovieComposition.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "testsupport/AudioFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using namespace fixtures;

namespace {

TEST(MovieComposition, PlacesFilesOnTheTimelineAndEndsAtTheLaterEnd)
{
    QTemporaryDir dir;
    const QString clip = MediaFixtures::shared().h264AacMp4(3);
    const QString music = MediaFixtures::shared().audioOnlyWav();
    ASSERT_FALSE(clip.isEmpty() || music.isEmpty());
    LMMovieComposition composition;
    const auto clipTracks = LMMovieCompositionTrack::tracksWithPath(clip);
    ASSERT_EQ(clipTracks.size(), 2);
    for (const auto &track : clipTracks)
        composition.insertTrack(track);
    auto late = composition.insert(music, 5.0, 1.0);
    late->languageCode = "fra";

    const QString path = dir.filePath("composed.mkv");
    ASSERT_TRUE(composition.exportToFile(path)) << composition.lastError().toStdString();
    EXPECT_NEAR(composition.total_duration(), 7.0, 0.05);
    EXPECT_FALSE(composition.isCancelled());

    const QJsonObject probe = ffprobeStreamsAndFormat(path);
    const QJsonArray streams = probe.value("streams").toArray();
    ASSERT_EQ(streams.size(), 3);
    const QJsonObject moved = streams[2].toObject();
    EXPECT_EQ(moved.value("tags").toObject().value("language").toString(), "fra");
    EXPECT_NEAR(moved.value("start_time").toString().toDouble(), 5.0, 0.05);
    EXPECT_NEAR(probe.value("format").toObject().value("duration").toString().toDouble(), 7.0, 0.1);
}

TEST(MovieComposition, TrackArchivesItsPathPositionAndRateAndReopensTheFile)
{
    const QString clip = MediaFixtures::shared().h264AacMp4(3);
    ASSERT_FALSE(clip.isEmpty());
    auto track = LMMovieCompositionTrack::makeTrack();
    track->setPath(clip);
    track->position = 2.5;
    track->rate = 0.5;
    track->track = 1; // not archived: the export maps streams anew

    QString error;
    const QByteArray data = platform::KeyedArchiver::archivedData(
        QVariant::fromValue(std::static_pointer_cast<QObject>(track)), &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    const auto back = std::dynamic_pointer_cast<LMMovieCompositionTrack>(
        platform::KeyedUnarchiver::unarchive(data, &error).value<std::shared_ptr<QObject>>());
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->path(), clip);
    EXPECT_EQ(back->position, 2.5);
    EXPECT_EQ(back->rate, 0.5);
    EXPECT_EQ(back->track, 0);
    // Decoding the path made a source of the track's own, which opens the file.
    ASSERT_TRUE(back->source());
    EXPECT_NE(back->source(), track->source());
    back->open();
    EXPECT_NEAR(back->duration(), 3.0, 0.1);
}

TEST(MovieComposition, FailedSetUpWritesNothing)
{
    QTemporaryDir dir;
    struct Row
    {
        const char *name;
        QString input;
        QString output;
    };
    const Row rows[] = {
        {"no muxer for the path",
         MediaFixtures::shared().audioOnlyWav(),
         dir.filePath("out.nosuchformat")},
        {"no folder for the file",
         MediaFixtures::shared().audioOnlyWav(),
         dir.filePath("missing/out.mkv")},
        {"no stream to copy", dir.filePath("missing.wav"), dir.filePath("empty.mkv")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LMMovieComposition composition;
        composition.insert(row.input, 0, 1.0);
        EXPECT_FALSE(composition.exportToFile(row.output));
        EXPECT_FALSE(composition.lastError().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(row.output));
    }
}

TEST(MovieComposition, CancelEndsTheExportWithoutAFile)
{
    QTemporaryDir dir;
    const QString longAudio = dir.filePath("long.mka");
    QString error;
    ASSERT_TRUE(runFfmpeg(
        {"-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "3600", "-c:a", "pcm_u8", longAudio},
        longAudio,
        &error))
        << error.toStdString();
    LMMovieComposition composition;
    composition.insert(longAudio, 0, 1.0);
    const QString path = dir.filePath("cancelled.mka");
    std::thread canceller([&] {
        while (composition.export_duration() < 2)
            std::this_thread::yield();
        composition.cancel();
    });
    EXPECT_FALSE(composition.exportToFile(path));
    canceller.join();
    EXPECT_TRUE(composition.isCancelled());
    EXPECT_LT(composition.export_duration(), 3600);
    EXPECT_LE(composition.progress(), 0.99);
    EXPECT_FALSE(QFileInfo::exists(path));
}

} // namespace
