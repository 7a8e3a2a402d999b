#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "testsupport/FfmpegProgram.h"
#include "testsupport/MediaFixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int64_t kSecond = 1000000;

// A decoder with frame threads hands a picture out only after as many later packets as it has
// threads went in: a seek that stops reading when a packet reaches the target shows a picture
// that many frames early. Every way to a picture at t must end on the picture of t.
class FrameThreadedSeek : public ::testing::TestWithParam<int>
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(s_dir.isValid());
        // 4 s of 25 fps pictures that change every frame, a key frame every 2 s and B-frames,
        // with sound interleaved.
        for (const char *codec : {"libx264", "libx265"}) {
            QStringList args{"-f",
                             "lavfi",
                             "-i",
                             "testsrc=size=320x240:rate=25:duration=4",
                             "-f",
                             "lavfi",
                             "-i",
                             "sine=frequency=440:duration=4",
                             "-c:a",
                             "aac",
                             "-c:v",
                             codec,
                             "-g",
                             "50",
                             "-bf",
                             "3",
                             "-pix_fmt",
                             "yuv420p"};
            if (QLatin1String(codec) == QLatin1String("libx265"))
                args << "-x265-params"
                     << "log-level=error";
            const QString path = s_dir.filePath(QStringLiteral("%1.mp4").arg(codec));
            QString error;
            ASSERT_TRUE(fixtures::runFfmpeg(args << path, path, &error)) << error.toStdString();
        }
    }
    static void TearDownTestSuite() { LMFFMediaStream::setVideoDecodeThreads(0); }
    void SetUp() override { LMFFMediaStream::setVideoDecodeThreads(GetParam()); }

    static QString clip(const char *codec)
    {
        return s_dir.filePath(QStringLiteral("%1.mp4").arg(QLatin1String(codec)));
    }
    static std::unique_ptr<LMFFMovie> openMovie(const QString &path)
    {
        auto movie = std::make_unique<LMFFMovie>();
        movie->openMedias(LMMediaSource::mediaWithPath(path)->createMedias());
        return movie;
    }
    static QImage reference(const QString &path, double seconds)
    {
        QImage picture;
        EXPECT_TRUE(fixtures::ffmpegFrameAt(path, seconds, &picture));
        return picture;
    }

    static QTemporaryDir s_dir;
};

QTemporaryDir FrameThreadedSeek::s_dir;

TEST_P(FrameThreadedSeek, AThumbnailAfterASeekIsThePictureOfItsTime)
{
    for (const char *codec : {"libx264", "libx265"}) {
        SCOPED_TRACE(codec);
        const QString path = clip(codec);
        auto movie = openMovie(path);
        ASSERT_TRUE(movie->hasVideo());
        movie->seek(1 * kSecond);
        const QImage thumbnail = movie->thumbnailAtTimeSize(3 * kSecond, QSizeF(320, 240));
        ASSERT_EQ(thumbnail.size(), QSize(320, 240));
        const double right = fixtures::psnr(thumbnail, reference(path, 3.0));
        EXPECT_GE(right, 35.0);
        // The pictures 8 frames and 1 frame early are told apart from it.
        EXPECT_GT(right, fixtures::psnr(thumbnail, reference(path, 2.68)) + 3.0);
        EXPECT_GT(right, fixtures::psnr(thumbnail, reference(path, 2.96)));
        EXPECT_EQ(movie->currentTime(), 1 * kSecond);
    }
}

TEST_P(FrameThreadedSeek, AStillAndATrimStartShowThePictureOfTheirTime)
{
    struct Row
    {
        const char *codec;
        int64_t time;
    };
    // On a key frame, between key frames, on the last picture before a key frame.
    for (const Row &row : {Row{"libx264", 2 * kSecond},
                           Row{"libx264", 1320000},
                           Row{"libx265", 2 * kSecond},
                           Row{"libx265", 2960000}}) {
        SCOPED_TRACE(std::string(row.codec) + " at " + std::to_string(row.time));
        const QString path = clip(row.codec);
        auto movie = openMovie(path);
        // A still: the current picture after a seek, as an editor shows it.
        movie->seek(row.time);
        std::shared_ptr<LMMovieImage> image;
        movie->decodeCurrentImageWithAction(
            [&](const std::shared_ptr<LMMovieImage> &current) { image = current; });
        ASSERT_TRUE(image);
        EXPECT_EQ(image->frameTime(), row.time);
        EXPECT_GE(fixtures::psnr(image->currentCIImage(), reference(path, row.time / 1e6)), 40.0);

        // A trim start: the clock set to the start, then the picture there, as a conversion asks.
        auto trimmed = openMovie(path);
        trimmed->setCurrentTime(row.time);
        trimmed->flushOperation();
        trimmed->decodeImageAtTimeActionWaitUntilDone(
            row.time, [&](const std::shared_ptr<LMMovieImage> &current) { image = current; }, true);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->frameTime(), row.time);
    }
}

INSTANTIATE_TEST_SUITE_P(Threads,
                         FrameThreadedSeek,
                         ::testing::Values(1, 8),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::to_string(info.param) + "Threads";
                         });

} // namespace
