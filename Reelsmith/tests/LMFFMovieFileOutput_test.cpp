#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "support/ProbeFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

using namespace fixtures;

namespace {

// A DVD title record as the production pipeline fills it.
LMFFMovieFileOutputFormat dvdFormat(bool pal, bool wide)
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = 720;
    format.height = pal ? 576 : 480;
    format.video_codec = lm_get_codec_id_by_name("mpeg2");
    format.video_bitrate = 6000000;
    format.framerate = pal ? 25 : 30000;
    format.frameTime = pal ? 1 : 1001;
    format.aspect = wide ? float(16.0 / 9.0) : float(4.0 / 3.0);
    format.sample_rate = 48000;
    format.audio_codec = lm_get_codec_id_by_name("ac3");
    format.audio_bitrate = 448000;
    return format;
}

// A 320x240 RGBA picture that changes from frame to frame.
AVFrame *testPicture(int index)
{
    AVFrame *frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_RGBA;
    frame->width = 320;
    frame->height = 240;
    av_frame_get_buffer(frame, 0);
    for (int y = 0; y < frame->height; ++y) {
        uint8_t *row = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < frame->width; ++x) {
            row[4 * x] = uint8_t(x + index * 4);
            row[4 * x + 1] = uint8_t(y * 2);
            row[4 * x + 2] = uint8_t((x + y) / 2 + index);
            row[4 * x + 3] = 255;
        }
    }
    return frame;
}

// frames of interleaved stereo float at 44100 Hz (the engine's default input), a 440 Hz tone.
std::vector<float> tone(int frames, int64_t first = 0)
{
    std::vector<float> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const float v = 0.3f * std::sin(2 * M_PI * 440 * double(first + i) / 44100.0);
        samples[2 * i] = v;
        samples[2 * i + 1] = v;
    }
    return samples;
}

// Writes seconds of pictures and tone through output (opened and started by the caller).
void writeSeconds(LMFFMovieFileOutput &output, double seconds, double fps)
{
    const int frames = int(std::lround(seconds * fps));
    const int audioPerFrame = int(44100 / fps);
    int64_t written = 0;
    for (int i = 0; i < frames; ++i) {
        AVFrame *picture = testPicture(i);
        output.writeVideoFrame(picture);
        av_frame_free(&picture);
        const int64_t target = int64_t(std::llround((i + 1) * 44100.0 / fps));
        const auto samples = tone(int(target - written), written);
        output.writeAudioData(QByteArray(reinterpret_cast<const char *>(samples.data()),
                                         qsizetype(samples.size() * sizeof(float))));
        written = target;
    }
    (void)audioPerFrame;
}

bool writeTitle(const QString &path, const LMFFMovieFileOutputFormat &format, double seconds)
{
    LMFFMovieFileOutput output;
    output.setPath(path);
    output.setMovieFormat(format);
    output.openVideo();
    output.openAudio();
    if (!output.isVideoOpen() || !output.isAudioOpen() || !output.startOutput())
        return false;
    writeSeconds(output, seconds, double(format.framerate) / format.frameTime);
    return output.stopOutput();
}

double number(const QJsonObject &object, const char *key)
{
    return object.value(key).toString().toDouble();
}

class MovieFileOutput : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file(const QString &name) const { return dir.filePath(name); }
};

TEST_F(MovieFileOutput, PalWideTitleIsADvdProgramStream)
{
    const QString path = file("title0.dvd");
    ASSERT_TRUE(writeTitle(path, dvdFormat(true, true), 3.0));

    const QJsonObject probe = ffprobeStreamsAndFormat(path);
    EXPECT_EQ(probe.value("format").toObject().value("format_name").toString(), "mpeg");
    const QJsonObject video = firstStreamOfType(probe, "video");
    EXPECT_EQ(video.value("codec_name").toString(), "mpeg2video");
    EXPECT_EQ(video.value("pix_fmt").toString(), "yuv420p");
    EXPECT_EQ(video.value("width").toInt(), 720);
    EXPECT_EQ(video.value("height").toInt(), 576);
    EXPECT_EQ(video.value("r_frame_rate").toString(), "25/1");
    EXPECT_EQ(video.value("sample_aspect_ratio").toString(), "64:45");
    EXPECT_EQ(video.value("display_aspect_ratio").toString(), "16:9");
    const QJsonObject audio = firstStreamOfType(probe, "audio");
    EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
    EXPECT_EQ(audio.value("sample_rate").toString(), "48000");
    EXPECT_EQ(audio.value("channels").toInt(), 2);
    EXPECT_EQ(audio.value("bit_rate").toString(), "448000");
    EXPECT_LT(std::fabs(number(audio, "start_time") - number(video, "start_time")), 0.040);

    const QStringList types = ffprobePictureTypes(path);
    ASSERT_EQ(types.size(), 75);
    for (int i = 0; i < types.size(); ++i)
        EXPECT_EQ(types[i] == "I", i % 15 == 0)
            << "frame " << i << " is " << types[i].toStdString();

    EXPECT_EQ(QFileInfo(path).size() % 2048, 0);
    // The pack header carries the DVD mux rate: 10080000 bit/s in units of 50 bytes.
    QFile bytes(path);
    ASSERT_TRUE(bytes.open(QIODevice::ReadOnly));
    const QByteArray pack = bytes.read(14);
    ASSERT_EQ(pack.left(4), QByteArray::fromHex("000001ba"));
    const int muxRate
        = (uint8_t(pack[10]) << 14) | (uint8_t(pack[11]) << 6) | (uint8_t(pack[12]) >> 2);
    EXPECT_EQ(muxRate, 25200);

    if (!haveTools({"dvdauthor", "lsdvd"}))
        GTEST_SKIP() << "dvdauthor or lsdvd is missing";
    QString log;
    ASSERT_TRUE(authorOneTitle(path, dir.path(), true, &log)) << log.toStdString();
    QString listing;
    ASSERT_EQ(runTool("lsdvd", {"-a", "-v", dir.filePath("dvd")}, &listing), 0)
        << listing.toStdString();
    EXPECT_TRUE(listing.contains("PAL")) << listing.toStdString();
    EXPECT_TRUE(listing.contains("16/9")) << listing.toStdString();
    EXPECT_TRUE(listing.contains("ac3")) << listing.toStdString();
    EXPECT_TRUE(listing.contains("Length: 00:00:03")) << listing.toStdString();
}

TEST_F(MovieFileOutput, NtscStandardTitle)
{
    const QString path = file("ntsc.dvd");
    ASSERT_TRUE(writeTitle(path, dvdFormat(false, false), 1.5));
    const QJsonObject video = firstStreamOfType(ffprobeStreamsAndFormat(path), "video");
    EXPECT_EQ(video.value("width").toInt(), 720);
    EXPECT_EQ(video.value("height").toInt(), 480);
    EXPECT_EQ(video.value("r_frame_rate").toString(), "30000/1001");
    EXPECT_EQ(video.value("sample_aspect_ratio").toString(), "8:9");
    const QStringList types = ffprobePictureTypes(path);
    ASSERT_GT(types.size(), 36);
    EXPECT_EQ(types.indexOf("I", 1), 18);
    EXPECT_EQ(types.indexOf("I", 19), 36);
}

TEST_F(MovieFileOutput, SampleAspectFollowsTheDisplayAspect)
{
    struct Row
    {
        const char *name;
        float aspect;
        int height;
        AVRational sar;
    };
    const Row rows[] = {
        {"16:9 NTSC", float(16.0 / 9.0), 480, {32, 27}},
        {"4:3 PAL", float(4.0 / 3.0), 576, {16, 15}},
        {"4:3 NTSC", float(4.0 / 3.0), 480, {8, 9}},
        {"none", 0.0f, 576, {0, 1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LMFFMovieFileOutput output;
        output.setPath(file(QStringLiteral("sar_%1.dvd").arg(row.height)));
        LMFFMovieFileOutputFormat format = dvdFormat(row.height == 576, false);
        format.aspect = row.aspect;
        output.setMovieFormat(format);
        output.openVideo();
        ASSERT_TRUE(output.isVideoOpen());
        const AVRational sar = output.videoStream()->sample_aspect_ratio;
        EXPECT_EQ(sar.num, row.sar.num);
        EXPECT_EQ(sar.den, row.sar.den);
        EXPECT_EQ(output.videoCodecContext()->sample_aspect_ratio.num, row.sar.num);
        EXPECT_EQ(output.videoCodecContext()->gop_size, row.height == 576 ? 15 : 18);
        EXPECT_EQ(output.videoCodecContext()->rc_max_rate, format.video_bitrate);
        EXPECT_EQ(output.videoCodecContext()->rc_min_rate, format.video_bitrate);
        EXPECT_EQ(output.videoCodecContext()->rc_buffer_size, 1835008);
        EXPECT_EQ(output.formatContext()->packet_size, 2048u);
    }
}

TEST_F(MovieFileOutput, ContainersChooseTheirCodecs)
{
    struct Row
    {
        const char *name;
        const char *video;
        const char *profile;
    };
    for (const Row &row : {Row{"clip.mkv", "h264", "Main"},
                           Row{"clip.mov", "h264", "Main"},
                           Row{"clip.avi", "mpeg4", nullptr}}) {
        SCOPED_TRACE(row.name);
        const QString path = file(row.name);
        LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
        format.width = 320;
        format.height = 240;
        format.framerate = 25;
        format.video_bitrate = 1000000;
        ASSERT_TRUE(writeTitle(path, format, 1.0));
        const QJsonObject video = firstStreamOfType(ffprobeStreamsAndFormat(path), "video");
        EXPECT_EQ(video.value("codec_name").toString(), row.video);
        if (row.profile) {
            EXPECT_EQ(video.value("profile").toString(), row.profile);
        }
    }
}

TEST_F(MovieFileOutput, RingtoneIsWrittenAsMpeg4Audio)
{
    const QString path = file("tone.M4R");
    LMFFMovieFileOutput output;
    output.setPath(path);
    output.openAudio();
    ASSERT_TRUE(output.isAudioOpen());
    EXPECT_EQ(output.formatName(), "ipod");
    ASSERT_TRUE(output.startOutput());
    const auto samples = tone(44100);
    output.writeSample(reinterpret_cast<const uint8_t *>(samples.data()), 44100);
    ASSERT_TRUE(output.stopOutput());
    const QJsonObject probe = ffprobeStreamsAndFormat(path);
    EXPECT_EQ(
        probe.value("format").toObject().value("tags").toObject().value("major_brand").toString(),
        "M4A ");
    EXPECT_EQ(firstStreamOfType(probe, "audio").value("codec_name").toString(), "aac");
}

TEST_F(MovieFileOutput, SamplesWaitUntilTheyFillAnEncoderFrame)
{
    LMFFMovieFileOutput output;
    output.setPath(file("short.dvd"));
    output.setMovieFormat(dvdFormat(true, true));
    output.openAudio();
    ASSERT_TRUE(output.isAudioOpen());
    ASSERT_EQ(output.audioCodecContext()->frame_size, 1536);
    EXPECT_EQ(output.audioCodecContext()->sample_fmt, AV_SAMPLE_FMT_FLTP);
    EXPECT_EQ(output.audioCodecContext()->initial_padding, 256);
    EXPECT_EQ(output.audioCodecContext()->delay, 0);
    LMFFAudioFormat input = lm_get_default_audio_format();
    input.sample_rate = 48000;
    output.setAudioInputFormat(input);
    ASSERT_TRUE(output.startOutput());
    auto samples = tone(1500);
    output.writeSample(reinterpret_cast<const uint8_t *>(samples.data()), 1500);
    EXPECT_EQ(output.audio_output_time(), 0);
    output.writeSample(reinterpret_cast<const uint8_t *>(samples.data()), 100);
    EXPECT_EQ(output.audio_output_time(), 32000); // one frame of 1536 samples at 48 kHz
    EXPECT_TRUE(output.stopOutput());
}

TEST_F(MovieFileOutput, UnusablePathsFailWithoutAFile)
{
    LMFFMovieFileOutput noMuxer;
    noMuxer.setPath(file("notes.unknownext"));
    noMuxer.openVideo();
    EXPECT_FALSE(noMuxer.isMovieOpen());
    EXPECT_FALSE(noMuxer.startOutput());
    EXPECT_FALSE(noMuxer.stopOutput());
    EXPECT_FALSE(noMuxer.lastError().isEmpty());

    LMFFMovieFileOutput noFolder;
    noFolder.setPath(file("missing/folder/title.dvd"));
    noFolder.setMovieFormat(dvdFormat(true, true));
    noFolder.openVideo();
    EXPECT_FALSE(noFolder.startOutput());
    EXPECT_FALSE(noFolder.stopOutput());
    EXPECT_FALSE(noFolder.stopOutput()); // twice is harmless
}

TEST_F(MovieFileOutput, FullDiskIsAFailure)
{
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const QString path = file("full.dvd");
    ASSERT_TRUE(QFile::link("/dev/full", path));
    EXPECT_FALSE(writeTitle(path, dvdFormat(true, true), 1.0));
}

} // namespace
