#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/audio/LMFFAudioResample.h"
#include "testsupport/AudioFixtures.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

namespace {

constexpr int kBlock = 2048;

// What reading a whole file through the resampler in 2048-frame blocks delivered.
struct ReadResult
{
    int64_t frames = 0;
    float peakLeft = 0;
    float peakRight = 0;
    bool leftEqualsRight = true;
    int lastBlockFrames = -1;
    bool lastBlockTailSilent = true;
};

void takeBlock(const std::vector<float> &block, int frames, ReadResult &result)
{
    for (int i = 0; i < frames; ++i) {
        const float left = block[size_t(i) * 2];
        const float right = block[size_t(i) * 2 + 1];
        result.peakLeft = std::max(result.peakLeft, std::fabs(left));
        result.peakRight = std::max(result.peakRight, std::fabs(right));
        if (left != right)
            result.leftEqualsRight = false;
    }
    result.frames += frames;
}

// Decodes the file, writes every frame into a resampler and reads it out in 2048-frame blocks as
// the output does; at the end of input the short last block is read with silence after it.
ReadResult readThroughResampler(const QString &path)
{
    ReadResult result;
    LMFFAudioResample resample;
    std::vector<float> block(kBlock * 2);
    QString error;
    const bool decoded = fixtures::decodeAudioFile(
        path,
        [&](const AVFrame *frame) {
            resample.writeFrame(frame);
            while (resample.outputSamples() >= kBlock) {
                EXPECT_TRUE(
                    resample.readSampleFrame(reinterpret_cast<uint8_t *>(block.data()), kBlock));
                takeBlock(block, kBlock, result);
            }
        },
        &error);
    EXPECT_TRUE(decoded) << error.toStdString();
    resample.flushInput();
    while (resample.outputSamples() > 0) {
        std::fill(block.begin(), block.end(), 9.0f);
        const int read = resample.readSampleFrameFillSilence(
            reinterpret_cast<uint8_t *>(block.data()), kBlock);
        takeBlock(block, read, result);
        result.lastBlockFrames = read;
        for (size_t i = size_t(read) * 2; i < block.size(); ++i) {
            if (block[i] != 0.0f)
                result.lastBlockTailSilent = false;
        }
    }
    return result;
}

class AudioResampleFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(s_dir->isValid());
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // A 10 s 440 Hz sine at 1/8 of full scale (the lavfi sine level), 16-bit, in the given
    // rate and channel arrangement.
    static QString makeSine(const QString &name, int sampleRate, const QString &pan)
    {
        const QString path = s_dir->filePath(name);
        QString error;
        EXPECT_TRUE(fixtures::runFfmpeg(
            {QStringLiteral("-f"),
             QStringLiteral("lavfi"),
             QStringLiteral("-i"),
             QStringLiteral("sine=frequency=440:sample_rate=%1:duration=10").arg(sampleRate),
             QStringLiteral("-af"),
             QStringLiteral("pan=%1").arg(pan),
             QStringLiteral("-c:a"),
             QStringLiteral("pcm_s16le"),
             path},
            path,
            &error))
            << error.toStdString();
        return path;
    }

    static QTemporaryDir *s_dir;
};

QTemporaryDir *AudioResampleFiles::s_dir = nullptr;

constexpr float kSineLevel = 0.125f;
// Mono spread over two speakers goes in at -3 dB on each.
constexpr float kMonoToStereoLevel = kSineLevel * 0.70710678f;

struct SineCase
{
    const char *name;
    int sampleRate;
    const char *pan;
    float level;
};

TEST_F(AudioResampleFiles, TenSecondSineComesOutAsTenSecondsOfStereo)
{
    const SineCase cases[] = {
        {"stereo at the output rate", 44100, "stereo|c0=c0|c1=c0", kSineLevel},
        {"stereo at 48000 Hz", 48000, "stereo|c0=c0|c1=c0", kSineLevel},
        {"plain mono", 44100, "mono|c0=c0", kMonoToStereoLevel},
        {"mono tagged front left only", 44100, "FL|c0=c0", kMonoToStereoLevel},
        {"mono tagged front right only", 22050, "FR|c0=c0", kMonoToStereoLevel},
    };
    for (const SineCase &row : cases) {
        SCOPED_TRACE(row.name);
        const QString path = makeSine(
            QStringLiteral("%1.wav").arg(QString::fromLatin1(row.name).replace(' ', '_')),
            row.sampleRate,
            QString::fromLatin1(row.pan));
        const ReadResult result = readThroughResampler(path);
        EXPECT_NEAR(double(result.frames), 441000.0, double(kBlock));
        EXPECT_TRUE(result.leftEqualsRight);
        EXPECT_NEAR(result.peakLeft, row.level, 0.006);
        EXPECT_NEAR(result.peakRight, row.level, 0.006);
    }
}

TEST_F(AudioResampleFiles, ShortLastBlockIsDeliveredAndOnlyItsTailIsSilence)
{
    // 441000 = 215 x 2048 + 680: the last block holds 680 frames of sine.
    const ReadResult result = readThroughResampler(
        makeSine(QStringLiteral("tail.wav"), 44100, QStringLiteral("stereo|c0=c0|c1=c0")));
    EXPECT_EQ(result.frames, 441000);
    EXPECT_EQ(result.lastBlockFrames, 680);
    EXPECT_TRUE(result.lastBlockTailSilent);
}

// Interleaved float stereo frames whose left sample counts up from start.
std::vector<float> ramp(int frames, float start)
{
    std::vector<float> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        samples[size_t(i) * 2] = start + float(i) * 1e-4f;
        samples[size_t(i) * 2 + 1] = -(start + float(i) * 1e-4f);
    }
    return samples;
}

AVFrame *floatStereoFrame(const std::vector<float> &samples, int sampleRate)
{
    AVFrame *frame = av_frame_alloc();
    frame->format = AV_SAMPLE_FMT_FLT;
    frame->sample_rate = sampleRate;
    frame->nb_samples = int(samples.size() / 2);
    av_channel_layout_from_mask(&frame->ch_layout, AV_CH_LAYOUT_STEREO);
    EXPECT_GE(av_frame_get_buffer(frame, 0), 0);
    std::copy(samples.begin(), samples.end(), reinterpret_cast<float *>(frame->data[0]));
    return frame;
}

TEST(AudioResample, NewInputFormatKeepsWhatWasAlreadyConverted)
{
    LMFFAudioResample resample;
    const std::vector<float> first = ramp(1000, 0.1f);
    AVFrame *frame44 = floatStereoFrame(first, 44100);
    resample.writeFrame(frame44);
    ASSERT_EQ(resample.outputSamples(), 1000);

    AVFrame *frame48 = floatStereoFrame(ramp(960, 0.5f), 48000);
    resample.writeFrame(frame48);
    resample.flushInput();
    EXPECT_EQ(resample.inputFormat().sample_rate, 48000);
    // 960 frames at 48000 Hz are 882 at 44100; the first 1000 must still be there, in front.
    EXPECT_NEAR(double(resample.outputSamples()), 1000.0 + 882.0, 4.0);

    std::vector<float> out(1000 * 2, 0.0f);
    ASSERT_TRUE(resample.readSampleFrame(reinterpret_cast<uint8_t *>(out.data()), 1000));
    EXPECT_EQ(out, first);
    av_frame_free(&frame44);
    av_frame_free(&frame48);
}

TEST(AudioResample, ReadingMoreThanQueuedFillsOnlyWhatIsThere)
{
    LMFFAudioResample resample;
    resample.convertFormatTo(lm_get_default_audio_format(), lm_get_default_audio_format());
    const std::vector<float> written = ramp(1000, 0.2f);
    resample.writeSampleFrame(reinterpret_cast<const uint8_t *>(written.data()), 1000);
    ASSERT_EQ(resample.outputSamples(), 1000);

    std::vector<float> out(kBlock * 2, 7.0f);
    EXPECT_FALSE(resample.readSampleFrame(reinterpret_cast<uint8_t *>(out.data()), kBlock));
    EXPECT_TRUE(std::equal(written.begin(), written.end(), out.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + 2000, out.end(), [](float v) { return v == 7.0f; }));
    EXPECT_EQ(resample.outputSamples(), 0);
}

TEST(AudioResample, FormatCallsKeepOrDropTheQueueAsTheOutputRequires)
{
    LMFFAudioResample resample;
    const LMFFAudioFormat format = lm_get_default_audio_format();
    resample.convertFormatTo(format, format);
    const std::vector<float> written = ramp(500, 0.3f);
    resample.writeSampleFrame(reinterpret_cast<const uint8_t *>(written.data()), 500);

    SCOPED_TRACE("the formats already in use");
    resample.convertFormatTo(format, format);
    EXPECT_EQ(resample.outputSamples(), 500);

    SCOPED_TRACE("another output format");
    LMFFAudioFormat mono = format;
    mono.channel_layout = AV_CH_LAYOUT_MONO;
    resample.convertFormatTo(format, mono);
    EXPECT_EQ(resample.outputSamples(), 0);
    EXPECT_EQ(resample.outputFormat().channel_layout, int64_t(AV_CH_LAYOUT_MONO));

    SCOPED_TRACE("close drops the queue");
    resample.writeSampleFrame(reinterpret_cast<const uint8_t *>(written.data()), 500);
    EXPECT_EQ(resample.outputSamples(), 500);
    resample.close();
    EXPECT_EQ(resample.outputSamples(), 0);
}

TEST(AudioResample, UnusableFormatLeavesItClosedAndReadsUntouched)
{
    LMFFAudioResample resample;
    resample.convertFormatTo(LMFFAudioFormat{AV_SAMPLE_FMT_FLT, AV_CH_LAYOUT_STEREO, 0},
                             lm_get_default_audio_format());
    EXPECT_FALSE(resample.lastError().isEmpty());
    const std::vector<float> written = ramp(100, 0.1f);
    resample.writeSampleFrame(reinterpret_cast<const uint8_t *>(written.data()), 100);
    EXPECT_EQ(resample.outputSamples(), 0);
    std::vector<float> out(200, 3.0f);
    EXPECT_FALSE(resample.readSampleFrame(reinterpret_cast<uint8_t *>(out.data()), 100));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 3.0f; }));
}

TEST(AudioResample, FrameWithoutChannelOrderIsTheDefaultLayoutOfItsCount)
{
    LMFFAudioResample resample;
    AVFrame *frame = floatStereoFrame(ramp(300, 0.1f), 44100);
    av_channel_layout_uninit(&frame->ch_layout);
    frame->ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
    frame->ch_layout.nb_channels = 2;
    resample.writeFrame(frame);
    EXPECT_EQ(resample.inputFormat().channel_layout, int64_t(AV_CH_LAYOUT_STEREO));
    EXPECT_EQ(resample.outputSamples(), 300);
    av_frame_free(&frame);
}

} // namespace
