#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/media/LMSubtitleSource.h"
#include "testsupport/MediaFixtures.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

using fixtures::MediaFixtures;

namespace {

struct StreamKinds
{
    int video = 0;
    int audio = 0;
    int subtitle = 0;
};

StreamKinds kindsOf(const LMFFMedia &media)
{
    return StreamKinds{
        int(media.videos().size()), int(media.audios().size()), int(media.subtitles().size())};
}

struct ProbeCase
{
    const char *name;
    QString (MediaFixtures::*make)();
    QString formatName;
    // Expected medias from createMedias, each as its enabled stream kinds.
    std::vector<StreamKinds> medias;
};

QString mp4Default()
{
    return MediaFixtures::shared().h264AacMp4();
}

} // namespace

// Every container the engine is fed, through probing and the split into medias.
TEST(MediaSource, ProbesContainersAndSplitsMediasByStreamKind)
{
    const std::vector<ProbeCase> cases = {
        {"MPEG-2 program stream", &MediaFixtures::mpeg2Ps, "mpeg", {{1, 0, 0}, {0, 1, 0}}},
        {"Matroska with chapters and a subtitle track",
         &MediaFixtures::mkvWithChaptersAndSubtitle,
         "matroska,webm",
         {{1, 0, 0}, {0, 1, 0}}},
        {"audio-only WAV", &MediaFixtures::audioOnlyWav, "wav", {{0, 1, 0}}},
        {"two audio streams, no video", &MediaFixtures::twoAudioMka, "matroska,webm", {{0, 2, 0}}},
        {"MP3 with cover art", &MediaFixtures::mp3WithCover, "mp3", {{0, 1, 0}}},
        {"PAL program stream with a subpicture",
         &MediaFixtures::palPsWithDvdsub,
         "mpeg",
         {{1, 0, 0}}},
    };
    for (const ProbeCase &row : cases) {
        SCOPED_TRACE(row.name);
        const QString path = (MediaFixtures::shared().*row.make)();
        ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
        auto source = LMMediaSource::mediaWithPath(path);
        source->open();
        ASSERT_TRUE(source->isOpen()) << source->lastError().toStdString();
        EXPECT_EQ(source->formatName(), row.formatName);
        EXPECT_GT(source->duration(), 0);
        EXPECT_EQ(source->codecs().size(), int(source->formatContext()->nb_streams));

        const QList<std::shared_ptr<LMFFMedia>> medias = source->createMedias();
        ASSERT_EQ(medias.size(), int(row.medias.size()));
        for (size_t i = 0; i < row.medias.size(); ++i) {
            const StreamKinds kinds = kindsOf(*medias[int(i)]);
            EXPECT_EQ(kinds.video, row.medias[i].video) << "media " << i;
            EXPECT_EQ(kinds.audio, row.medias[i].audio) << "media " << i;
            EXPECT_EQ(kinds.subtitle, row.medias[i].subtitle) << "media " << i;
        }
        // Two medias read through two demuxers, so neither holds back the other's packets.
        if (medias.size() == 2) {
            EXPECT_NE(medias[0]->formatContext(), medias[1]->formatContext());
        }
    }
}

TEST(MediaSource, Mp4CodecTagsAreFourCharacters)
{
    auto source = LMMediaSource::mediaWithPath(mp4Default());
    source->open();
    ASSERT_TRUE(source->isOpen());
    EXPECT_EQ(source->codecs(), (QStringList{"avc1", "mp4a"}));
    EXPECT_EQ(source->find_best_video_stream(), 0);
}

// A tag is four bytes with no terminator: printing it as a string (or with a width) read past it.
TEST(MediaSource, CodecTagStringNeverReadsPastTheTag)
{
    EXPECT_EQ(LMMediaSource::codecTagString(MKTAG('a', 'v', 'c', '1')), QStringLiteral("avc1"));
    const QString empty = LMMediaSource::codecTagString(0);
    EXPECT_EQ(empty.size(), 4);
    EXPECT_EQ(LMMediaSource::codecTagString(MKTAG('m', 'p', '4', 'a')), QStringLiteral("mp4a"));
}

TEST(MediaSource, StartTimeComesFromVideoStreamsOnly)
{
    const QString late = MediaFixtures::shared().videoLateAudioEarly();
    ASSERT_FALSE(late.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto source = LMMediaSource::mediaWithPath(late);
    source->open();
    ASSERT_TRUE(source->isOpen());
    std::optional<int64_t> videoStart;
    std::optional<int64_t> audioStart;
    for (unsigned i = 0; i < source->formatContext()->nb_streams; ++i) {
        const AVStream *stream = source->formatContext()->streams[i];
        const int64_t start
            = av_rescale_q(stream->start_time, stream->time_base, AVRational{1, 1000000});
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            videoStart = start;
        else
            audioStart = start;
    }
    ASSERT_TRUE(videoStart && audioStart);
    ASSERT_LT(*audioStart, *videoStart);
    EXPECT_EQ(source->start_time(), *videoStart);
    EXPECT_GE(source->start_time(), 450000);

    // A file whose video starts at 0 keeps FFmpeg's own start time.
    auto plain = LMMediaSource::mediaWithPath(mp4Default());
    plain->open();
    ASSERT_TRUE(plain->isOpen());
    EXPECT_FALSE(LMMediaSource::get_movie_real_start_time(plain->formatContext()).has_value());
    const int64_t ffmpegStart = plain->formatContext()->start_time;
    EXPECT_EQ(plain->start_time(), ffmpegStart == AV_NOPTS_VALUE ? 0 : ffmpegStart);
}

TEST(MediaSource, ChaptersAreRecordsAndAnUntitledChapterHasNoTitleKey)
{
    auto source
        = LMMediaSource::mediaWithPath(MediaFixtures::shared().mkvWithChaptersAndSubtitle());
    source->open();
    ASSERT_TRUE(source->isOpen());
    const QList<QVariantMap> chapters = source->find_chapters();
    ASSERT_EQ(chapters.size(), 2);
    EXPECT_EQ(chapters[0].value("index").toInt(), 0);
    EXPECT_EQ(chapters[0].value("start").toLongLong(), 0);
    EXPECT_EQ(chapters[0].value("stop").toLongLong(), 2000000);
    EXPECT_EQ(chapters[0].value("title").toString(), QStringLiteral("Opening"));
    EXPECT_TRUE(chapters[0].contains("id"));
    EXPECT_EQ(chapters[1].value("index").toInt(), 1);
    EXPECT_EQ(chapters[1].value("start").toLongLong(), 2000000);
    EXPECT_EQ(chapters[1].value("stop").toLongLong(), 4000000);
    EXPECT_FALSE(chapters[1].contains("title"));
}

TEST(MediaSource, UnreadableInputsAreRefusedCleanly)
{
    const QString noise = MediaFixtures::shared().randomBytes();
    const QString missing = MediaFixtures::shared().dir() + QStringLiteral("/missing.mp4");
    for (const QString &path : {noise, missing}) {
        SCOPED_TRACE(path.toStdString());
        auto source = LMMediaSource::mediaWithPath(path);
        source->open();
        EXPECT_FALSE(source->isOpen());
        EXPECT_EQ(source->formatContext(), nullptr);
        EXPECT_FALSE(source->lastError().isEmpty());
        EXPECT_EQ(source->duration(), 0);
        EXPECT_EQ(source->start_time(), 0);
        EXPECT_TRUE(source->find_chapters().isEmpty());
        EXPECT_TRUE(source->formatName().isNull());
        EXPECT_TRUE(source->codecs().isEmpty());
        EXPECT_EQ(source->find_best_video_stream(), AVERROR_DECODER_NOT_FOUND);
        EXPECT_TRUE(source->createMedias().isEmpty());

        auto media = LMFFMedia::mediaWithSource(source);
        media->open();
        EXPECT_TRUE(media->streams().empty());
        EXPECT_EQ(media->videoFrameAtTime(0), nullptr);
        media->seek(1000000);
        EXPECT_FALSE(media->forwardNextPacket());
    }
}

TEST(MediaSource, SelectionWithoutAudioYieldsOneMedia)
{
    auto source = LMMediaSource::mediaWithPath(mp4Default());
    const QList<std::shared_ptr<LMFFMedia>> medias = source->createMediasWithStreams(QSet<int>{0});
    ASSERT_EQ(medias.size(), 1);
    EXPECT_TRUE(medias[0]->hasVideo());
    EXPECT_FALSE(medias[0]->hasAudio());
}

TEST(MediaSource, CopyIsUnopenedAndOpensItsOwnDemuxer)
{
    auto source = LMMediaSource::mediaWithPath(mp4Default());
    source->open();
    ASSERT_TRUE(source->isOpen());
    std::shared_ptr<LMMediaSource> copy = source->copy();
    EXPECT_FALSE(copy->isOpen());
    EXPECT_EQ(copy->fullpath(), source->fullpath());
    copy->open();
    ASSERT_TRUE(copy->isOpen());
    EXPECT_NE(copy->formatContext(), source->formatContext());

    auto subtitle = LMSubtitleSource::mediaWithPath(MediaFixtures::shared().srtFile());
    EXPECT_TRUE(subtitle->isSubtitle());
    EXPECT_TRUE(subtitle->copy()->isSubtitle());
}

TEST(MediaSource, NameAndSourceKeyComeFromThePath)
{
    auto source = LMMediaSource::mediaWithPath(QStringLiteral("/movies/holiday.trip.mp4"));
    EXPECT_EQ(source->name(), QStringLiteral("holiday.trip"));
    EXPECT_EQ(source->sourceKey(), QStringLiteral("path-source:/movies/holiday.trip.mp4"));
    EXPECT_FALSE(source->isDVD());
    EXPECT_FALSE(source->isSubtitle());
}
