#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/convert/LMMusicConverter.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/encode/LMMusicFileOutput.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "testsupport/AudioFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"
#include "testsupport/WaitUntil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

using namespace fixtures;

namespace {

constexpr int64_t kSecond = 1000000;

TEST(MusicFileOutput, MonoAt48kUsesTheContainersCodec)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("deep/folder/tone.m4a");
    auto output = LMMusicFileOutput::output(path, 1, 48000);
    ASSERT_TRUE(output);
    const AVCodecContext *codec = output->movieOutput()->audioCodecContext();
    EXPECT_EQ(codec->codec_id, AV_CODEC_ID_AAC);
    EXPECT_EQ(codec->sample_rate, 48000);
    EXPECT_EQ(codec->ch_layout.nb_channels, 1);
    EXPECT_EQ(codec->bit_rate, 192000);
    std::vector<float> silence(44100 * 2);
    output->writeAudioData(
        QByteArray(reinterpret_cast<const char *>(silence.data()), qsizetype(silence.size() * 4)));
    EXPECT_TRUE(output->close());
    EXPECT_TRUE(output->close()); // a second close does nothing
    EXPECT_EQ(output->movieOutput(), nullptr);
    EXPECT_EQ(firstStreamOfType(ffprobeStreamsAndFormat(path), "audio").value("channels").toInt(),
              1);

    EXPECT_EQ(LMMusicFileOutput::output(dir.filePath("tone.nosuchformat"), 2, 44100), nullptr);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("tone.nosuchformat")));
}

TEST(MusicConverter, TenSecondsAreWrittenIn431Blocks)
{
    QTemporaryDir dir;
    auto segment = LMSegmentMovie::movieWithPath(MediaFixtures::shared().sine10s());
    ASSERT_TRUE(segment);
    segment->setStop(10 * kSecond);
    const QString path = dir.filePath("music.wav");
    LMMusicConverter converter;
    ASSERT_TRUE(converter.convertAudios({segment}, path));
    EXPECT_EQ(converter.blocksWritten(), 431);
    EXPECT_LE(converter.progress(), 0.999);
    const QJsonObject audio = firstStreamOfType(ffprobeStreamsAndFormat(path), "audio");
    EXPECT_EQ(audio.value("codec_name").toString(), "pcm_s16le");
    EXPECT_NEAR(audio.value("duration").toString().toDouble(), 431 * 1024 / 44100.0, 0.001);
}

TEST(MusicConverter, FadesShapeTheWrittenSound)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("faded.wav");
    auto movie = LMSegmentMovie::movieWithPath(MediaFixtures::shared().sine10s())->ffmovie();
    LMMusicConverter converter;
    ASSERT_TRUE(converter.startConverterMusic(movie, 1.0f, 5.0f, 1.0f, 1.0f, path));
    // Peak of every 0.1 s of the written file: silent at the start, full (0.5) in the middle.
    std::vector<double> peaks;
    double peak = 0;
    int64_t counted = 0;
    ASSERT_TRUE(decodeAudioFile(path, [&](const AVFrame *frame) {
        const int16_t *samples = reinterpret_cast<const int16_t *>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples * frame->ch_layout.nb_channels; ++i) {
            peak = std::max(peak, std::fabs(samples[i] / 32768.0));
            if (++counted % (4410 * 2) == 0) {
                peaks.push_back(peak);
                peak = 0;
            }
        }
    }));
    ASSERT_GE(peaks.size(), 39u);
    EXPECT_LT(peaks[0], 0.1);
    EXPECT_NEAR(peaks[20], 0.5, 0.02);
    EXPECT_LT(peaks[39], 0.1);
}

TEST(MusicConverter, CancelLeavesNoFile)
{
    QTemporaryDir dir;
    auto segment = LMSegmentMovie::movieWithPath(MediaFixtures::shared().sine10s());
    ASSERT_TRUE(segment);
    const QString path = dir.filePath("cancelled.m4a");
    LMMusicConverter converter;
    std::atomic<bool> returned = false;
    bool cancelledWhileRunning = false;
    std::thread canceller([&] {
        // A run that ends (or fails) before a tenth must not leave this thread waiting forever.
        cancelledWhileRunning
            = fixtures::waitUntil([&] { return converter.progress() >= 0.1 || returned.load(); },
                                  60000)
              && !returned.load();
        converter.cancel();
    });
    EXPECT_FALSE(converter.convertAudios({segment}, path));
    returned = true;
    canceller.join();
    EXPECT_TRUE(cancelledWhileRunning) << "the run ended before the cancel";
    EXPECT_TRUE(converter.isCancelled());
    EXPECT_FALSE(QFileInfo::exists(path));
}

} // namespace
