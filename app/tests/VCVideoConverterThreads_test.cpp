// The clip converter's threads: the run thread, the decode queues of its movies, and an owner
// that pauses, resumes and cancels from another thread while a preview uses the same clip. Built
// for ThreadSanitizer too, so it starts no child process: results are read back with the engine.

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/Convert/VCVideoConverter.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/WaitUntil.h"

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace fixtures;
using namespace std::chrono_literals;

namespace {

constexpr int64_t kSecond = 1000000;

LMFFMovieFileOutputFormat smallDvdFormat()
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = 352;
    format.height = 288;
    format.video_codec = lm_get_codec_id_by_name("mpeg2");
    format.video_bitrate = 2000000;
    format.framerate = 25;
    format.frameTime = 1;
    format.aspect = float(4.0 / 3.0);
    format.sample_rate = 48000;
    format.audio_codec = lm_get_codec_id_by_name("ac3");
    format.audio_bitrate = 448000;
    return format;
}

class VCVideoConverterThreads : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { LMFFMovie::initialize(); }
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_clip = MediaFixtures::shared().h264AacMp4(3);
        ASSERT_FALSE(m_clip.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    }

    VCVideoConverterRef converterFor(const VCMovieList &movies, const QString &name)
    {
        auto converter = std::make_shared<VCVideoConverter>();
        converter->setMovies(movies);
        converter->setPath(m_dir.filePath(name));
        converter->setMovieOutputFormat(smallDvdFormat());
        converter->updateConverterContent();
        return converter;
    }

    QTemporaryDir m_dir;
    QString m_clip;
};

TEST_F(VCVideoConverterThreads, JobsRunBesideAPreviewOfTheSameClipAndAreControlledFromOutside)
{
    const auto clip = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(m_clip));
    ASSERT_TRUE(clip);
    // The composed path on one job, pass-through on the other.
    const auto edited = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(m_clip));
    ASSERT_TRUE(edited);
    edited->movie()->setBrightness(0.6f);

    std::atomic<bool> stop{false};
    std::thread preview([&] {
        int64_t t = 0;
        while (!stop.load()) {
            clip->movie()->seek(t);
            clip->movie()->decodeImageAtTimeAction(LMFFMovie::kCurrentTime,
                                                   [](const std::shared_ptr<LMMovieImage> &) {});
            t = (t + 900000) % (3 * kSecond);
        }
    });
    auto plain = converterFor({clip}, "plain.dvd");
    auto drawn = converterFor({edited, clip}, "drawn.dvd");
    plain->startConvert();
    drawn->startConvert();

    // The owner's thread pauses and resumes one, and reads both while they run.
    std::thread owner([&] {
        // Paused while the other job moves on a little (or ends), then resumed.
        drawn->pause();
        const double plainBefore = plain->progress();
        waitUntil([&] { return plain->progress() > plainBefore || plain->isEnded(); }, 60000);
        drawn->resume();
        while (!plain->isEnded() || !drawn->isEnded()) {
            EXPECT_LE(plain->progress(), 1.0);
            EXPECT_LE(drawn->progress(), 1.0);
            std::this_thread::sleep_for(5ms);
        }
    });
    plain->waitUntilFinished();
    drawn->waitUntilFinished();
    owner.join();
    stop.store(true);
    preview.join();

    ASSERT_TRUE(plain->isFinished()) << plain->lastError().toStdString();
    ASSERT_TRUE(drawn->isFinished()) << drawn->lastError().toStdString();
    for (const auto &[name, seconds] : {std::pair{"plain.dvd", 3.0}, std::pair{"drawn.dvd", 6.0}}) {
        SCOPED_TRACE(name);
        const auto written = LMSegmentMovie::movieWithPath(m_dir.filePath(name));
        ASSERT_TRUE(written);
        EXPECT_TRUE(written->ffmovie()->hasVideo());
        EXPECT_TRUE(written->ffmovie()->hasAudio());
        EXPECT_NEAR(lm_ff_time_to_double(written->ffmovie()->duration()), seconds, 0.1);
        EXPECT_EQ(lm_get_codec_name_by_id(written->ffmovie()->audioCodec()), "ac3");
    }
}

TEST_F(VCVideoConverterThreads, ACancelFromAnotherThreadStopsTheRunAndLeavesNoFile)
{
    const auto clip = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(m_clip));
    ASSERT_TRUE(clip);
    VCMovieList pieces;
    for (int i = 0; i < 5; ++i)
        pieces.append(clip);
    auto converter = converterFor(pieces, "cancelled.dvd");
    converter->startConvert();
    std::thread canceller([&] {
        while (converter->progress() < 0.2 && !converter->isEnded())
            std::this_thread::sleep_for(1ms);
        converter->cancel();
    });
    ASSERT_TRUE(converter->waitUntilFinished(60000ms));
    canceller.join();
    EXPECT_TRUE(converter->isCanceled());
    EXPECT_TRUE(
        QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
