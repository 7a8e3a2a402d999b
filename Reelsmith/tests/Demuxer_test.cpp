#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaOwner.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMFFPacket.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "testsupport/MediaFixtures.h"

#include <QProcess>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

using fixtures::MediaFixtures;

namespace {

// The movie-wide switches, set per test.
struct Owner : LMFFMediaOwner
{
    bool disable = false, exporting = false, copyVideo = false, copyAudio = false, onlyKey = false;
    bool disableVideo() const override { return disable; }
    bool exportMovie() const override { return exporting; }
    bool copy_video_stream() const override { return copyVideo; }
    bool copy_audio_stream() const override { return copyAudio; }
    bool forward_only_key() const override { return onlyKey; }
};

QImage toImage(const AVFrame *frame)
{
    QImage image(frame->width, frame->height, QImage::Format_RGBA8888);
    SwsContext *sws = sws_getContext(frame->width,
                                     frame->height,
                                     AVPixelFormat(frame->format),
                                     frame->width,
                                     frame->height,
                                     AV_PIX_FMT_RGBA,
                                     SWS_BILINEAR,
                                     nullptr,
                                     nullptr,
                                     nullptr);
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(sws);
    return image;
}

std::shared_ptr<LMFFMedia> openMedia(const QString &path, const LMIndexSet &streams = std::nullopt)
{
    auto media = LMFFMedia::mediaWithSource(LMMediaSource::mediaWithPath(path), streams);
    media->open();
    return media;
}

int ffprobeFrameCount(const QString &path)
{
    QProcess probe;
    probe.start("ffprobe",
                {"-v",
                 "error",
                 "-select_streams",
                 "v:0",
                 "-count_frames",
                 "-show_entries",
                 "stream=nb_read_frames",
                 "-of",
                 "csv=p=0",
                 path});
    probe.waitForFinished(60000);
    return QString::fromLatin1(probe.readAllStandardOutput())
        .trimmed()
        .split(QLatin1Char(','))
        .first()
        .toInt();
}

int64_t engineTime(int64_t pts, AVRational timeBase)
{
    return av_rescale_q(pts, timeBase, AVRational{1, 1000000});
}

} // namespace

// After a seek the frame shown at 2.0 s is the one the ffmpeg program decodes there, for a file
// starting at 0 (MP4) and one whose clock starts later (program stream).
TEST(Demuxer, SeekLandsOnTheFrameAtTheTarget)
{
    for (const QString &path :
         {MediaFixtures::shared().h264AacMp4(), MediaFixtures::shared().mpeg2Ps()}) {
        SCOPED_TRACE(path.toStdString());
        auto medias = LMMediaSource::mediaWithPath(path)->createMedias();
        ASSERT_EQ(medias.size(), 2);
        LMFFMedia &video = *medias[0];
        video.seek(2000000);
        const AVFrame *frame = video.videoFrameAtTime(2000000);
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(frame->data[0], nullptr);
        const int64_t shown
            = engineTime(frame->pts, video.videoStream()->timebase()) - video.start_time();
        EXPECT_NEAR(double(shown), 2000000.0, 1000.0);

        QImage expected;
        ASSERT_TRUE(fixtures::ffmpegFrameAt(path, 2.0, &expected));
        EXPECT_GE(fixtures::psnr(toImage(frame), expected), 40.0);
    }
}

// The decoder holds frames back for reordering; they must come out at the end of input.
TEST(Demuxer, EveryFrameIsDeliveredIncludingTheDecodersTail)
{
    for (const QString &path :
         {MediaFixtures::shared().h264AacMp4(), MediaFixtures::shared().mpeg2Ps()}) {
        SCOPED_TRACE(path.toStdString());
        auto media = openMedia(path, QSet<int>{0});
        LMFFMediaStream *video = media->videoStream();
        ASSERT_NE(video, nullptr);
        int frames = 0;
        int64_t lastPts = AV_NOPTS_VALUE;
        while (media->forwardStream(video)) {
            if (video->hasFrame && video->frame()->pts != lastPts) {
                ++frames;
                lastPts = video->frame()->pts;
            }
        }
        EXPECT_TRUE(media->isEndOfInput());
        EXPECT_EQ(frames, ffprobeFrameCount(path));
    }
}

TEST(Demuxer, SineReadInBlocksKeepsLengthLevelAndBalance)
{
    const QString path = MediaFixtures::shared().sine10s();
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto medias = LMMediaSource::mediaWithPath(path)->createMedias();
    ASSERT_EQ(medias.size(), 1);
    LMFFMedia &media = *medias[0];
    media.seek(0);
    constexpr int kBlock = 2048;
    std::vector<float> block(kBlock * 2);
    int64_t position = 0;
    int64_t lastSound = -1;
    float peak = 0;
    bool balanced = true;
    for (int i = 0; i < 300; ++i) {
        std::fill(block.begin(), block.end(), 0.0f);
        ASSERT_TRUE(media.readSampleNbStreamFrame(block.data(), 0, kBlock));
        for (int f = 0; f < kBlock; ++f) {
            const float left = block[size_t(f) * 2], right = block[size_t(f) * 2 + 1];
            if (left != right)
                balanced = false;
            if (left != 0.0f)
                lastSound = position + f;
            peak = std::max(peak, std::fabs(left));
        }
        position += kBlock;
        if (media.isEndOfInput() && media.audioStream()->outputSamples() == 0)
            break;
    }
    EXPECT_TRUE(balanced);
    EXPECT_NEAR(double(lastSound + 1), 441000.0, 2048.0);
    EXPECT_NEAR(peak, 0.5f, 0.05f);
}

// In playback, audio is read ahead while up to 16 video packets wait; the next plain forward
// first hands one of them on.
TEST(Demuxer, VideoPacketsWaitInTheCacheWhileAudioIsReadAhead)
{
    Owner owner;
    auto media = openMedia(MediaFixtures::shared().h264AacMp4());
    media->setMovie(&owner);
    media->seek(0);
    LMFFMediaStream *audio = media->audioStream();
    ASSERT_NE(audio, nullptr);
    for (int i = 0; i < 40; ++i)
        media->forwardStream(audio);
    EXPECT_EQ(media->cachedPacketCount(), 15);
    const int before = media->cachedPacketCount();
    EXPECT_TRUE(media->forwardNextPacket());
    EXPECT_EQ(media->cachedPacketCount(), before - 1);

    // While converting, asking for audio of a media with video reads nothing.
    owner.exporting = true;
    const int64_t lastPts = media->last_pts;
    EXPECT_TRUE(media->forwardStream(audio));
    EXPECT_EQ(media->last_pts, lastPts);
}

TEST(Demuxer, StreamCopyKeepsOnlyKeyPacketsStampedForTheTimeline)
{
    Owner owner;
    owner.copyVideo = true;
    owner.onlyKey = true;
    auto media = openMedia(MediaFixtures::shared().h264AacMp4(), QSet<int>{0});
    media->setMovie(&owner);
    media->movie_position = 7000000;
    media->seek(0);
    int packets = 0;
    while (std::shared_ptr<LMFFPacket> packet = media->readNextVideoPacket()) {
        EXPECT_TRUE(packet->isKeyPacket());
        EXPECT_EQ(packet->pkt_display_time, 7000000);
        EXPECT_EQ(packet->pkt_time_offset, media->start_time());
        EXPECT_LE(media->videoStream()->rawPackets.size(), 1u);
        ++packets;
    }
    // One key frame a second (GOP of 25 at 25 fps) in 3 s.
    EXPECT_EQ(packets, 3);
}

TEST(Demuxer, DisabledVideoTakesNoPackets)
{
    Owner owner;
    owner.disable = true;
    auto media = openMedia(MediaFixtures::shared().h264AacMp4(), QSet<int>{0});
    media->setMovie(&owner);
    EXPECT_FALSE(media->hasVideo());
    EXPECT_FALSE(media->isEnableForwardPacket(media->videoStream()));
}

TEST(Demuxer, MixesOrSplitsAudioStreams)
{
    auto media = openMedia(MediaFixtures::shared().twoAudioMka());
    ASSERT_EQ(media->audios().size(), 2);
    media->seek(500000);
    constexpr int kBlock = 1024;
    std::vector<float> split(kBlock * 2 * 2, 0.0f);
    ASSERT_TRUE(media->readSampleNbStreamFrame(split.data(), 2, kBlock));
    media->seek(500000);
    std::vector<float> mixed(kBlock * 2, 0.0f);
    ASSERT_TRUE(media->readSampleNbStreamFrame(mixed.data(), 0, kBlock));
    double error = 0;
    double energy = 0;
    for (int i = 0; i < kBlock * 2; ++i) {
        error = std::max(error,
                         double(std::fabs(mixed[size_t(i)]
                                          - (split[size_t(i)] + split[size_t(kBlock * 2 + i)]))));
        energy += std::fabs(split[size_t(kBlock * 2 + i)]);
    }
    EXPECT_GT(energy, 0.0);
    EXPECT_LT(error, 1e-5);

    // Track selection: only the second audio track stays enabled.
    media->selectAudios = QSet<int>{1};
    media->updateSelectStreams();
    ASSERT_EQ(media->audios().size(), 1);
    EXPECT_EQ(media->audioStream()->streamIndex(), 1);
}

TEST(Demuxer, DurationComesFromTheStreams)
{
    auto media = openMedia(MediaFixtures::shared().h264AacMp4());
    EXPECT_NEAR(double(media->duration()), 3000000.0, 100000.0);
    EXPECT_EQ(media->videoFormat().width, 320);
    EXPECT_EQ(media->videoFormat().height, 240);
    EXPECT_FLOAT_EQ(media->framerate(), 25.0f);
    EXPECT_EQ(media->audioFormat().sample_rate, 44100);
}
