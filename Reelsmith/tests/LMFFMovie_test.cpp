#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFPacket.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "testsupport/AudioFixtures.h"
#include "testsupport/MediaFixtures.h"

#include <QFileInfo>
#include <cmath>
#include <future>
#include <gtest/gtest.h>
#include <vector>

using fixtures::MediaFixtures;

namespace {

constexpr int64_t kSecond = 1000000;

// A movie over every media of the file, as the application opens a clip.
std::unique_ptr<LMFFMovie> openMovie(const QString &path)
{
    auto movie = std::make_unique<LMFFMovie>();
    movie->openMedias(LMMediaSource::mediaWithPath(path)->createMedias());
    return movie;
}

std::shared_ptr<LMMovieImage> currentImage(LMFFMovie &movie)
{
    std::shared_ptr<LMMovieImage> result;
    movie.decodeCurrentImageWithAction(
        [&](const std::shared_ptr<LMMovieImage> &image) { result = image; });
    return result;
}

// Small clips that only this program needs.
class MovieFiles : public ::testing::Test
{
protected:
    static QString palWithSar(const QString &sar)
    {
        return MediaFixtures::shared().palWithSar(sar);
    }
    static QString wide() { return MediaFixtures::shared().wide169(); }
};

TEST(Movie, SeekToTwoSecondsShowsTheFrameTheFfmpegProgramShowsThere)
{
    const QString path = MediaFixtures::shared().h264AacMp4(3);
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto movie = openMovie(path);
    ASSERT_TRUE(movie->hasVideo());
    ASSERT_TRUE(movie->hasAudio());
    EXPECT_NEAR(double(movie->duration()), 3.0 * kSecond, 0.1 * kSecond);

    movie->seek(2 * kSecond);
    EXPECT_EQ(movie->currentTime(), 2 * kSecond) << "the clock moves on the caller's thread";
    auto image = currentImage(*movie);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frameTime(), 2 * kSecond);
    const QImage picture = image->currentCIImage();
    ASSERT_EQ(picture.size(), QSize(320, 240));

    QImage reference;
    ASSERT_TRUE(fixtures::ffmpegFrameAt(path, 2.0, &reference));
    EXPECT_GE(fixtures::psnr(picture, reference), 40.0);

    // And back to the start: a backward seek lands on the first frame.
    movie->seek(0);
    image = currentImage(*movie);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frameTime(), 0);
    ASSERT_TRUE(fixtures::ffmpegFrameAt(path, 0.0, &reference));
    EXPECT_GE(fixtures::psnr(image->currentCIImage(), reference), 40.0);
}

TEST(Movie, QuickSeeksBehindARunningDecodeOnlyDoTheLastOne)
{
    const QString path = MediaFixtures::shared().h264AacMp4(5);
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto movie = openMovie(path);
    currentImage(*movie); // settles the opening sync
    const int64_t seeksBefore = movie->performedSeekCount();

    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    movie->decodeImageWaitUntilDone([gate] { gate.wait(); }, false);
    for (int64_t t : {1 * kSecond, 2 * kSecond, 3 * kSecond}) {
        movie->seek(t);
        EXPECT_EQ(movie->currentTime(), t);
    }
    release.set_value();
    movie->flushOperation();
    EXPECT_EQ(movie->performedSeekCount() - seeksBefore, 1) << "the first two were superseded";
    EXPECT_EQ(movie->currentTime(), 3 * kSecond);

    auto image = currentImage(*movie);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frameTime(), 3 * kSecond);
}

TEST(Movie, DecodesAskedFromTheQueueRunInline)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    bool nested = false;
    std::shared_ptr<LMMovieImage> image;
    movie->decodeImageWaitUntilDone(
        [&] {
            // A seek and a waiting decode from inside the queue would deadlock (or run after this
            // operation) if they were queued.
            movie->seek(kSecond);
            movie->decodeImageAtTimeAction(LMFFMovie::kCurrentTime,
                                           [&](const auto &frame) { image = frame; });
            movie->flushOperation();
            nested = true;
        },
        true);
    EXPECT_TRUE(nested);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frameTime(), kSecond);
}

// The output's render cycles are the clock here, driven by the test: each cycle plays a period of
// audio, and the movie's clock must advance by exactly what was played, however fast the machine
// decodes. (That the silent output pulls in real time is the audio graph's own test.)
TEST(Movie, ClockFollowsPlaybackOfTheOutput)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(5));
    LMOutputAudioGraph *graph = movie->audioOutputGraph();
    ASSERT_TRUE(graph);
    constexpr int kPeriod = 1024;
    std::vector<float> out(size_t(kPeriod) * LMAudioGraph::kChannels);
    auto playOnePeriod = [&] {
        // The refill the last cycle asked for has run: the output never runs dry.
        movie->flushOperation();
        graph->renderCycle(reinterpret_cast<uint8_t *>(out.data()), kPeriod);
    };
    // The first cycle finds the output empty and plays silence; the next one plays audio.
    playOnePeriod();
    playOnePeriod();
    const int64_t start = movie->currentTime();
    constexpr int kCycles = 40;
    for (int i = 0; i < kCycles; ++i)
        playOnePeriod();
    movie->flushOperation();
    const int64_t expected = int64_t(kCycles) * kPeriod * kSecond / LMAudioGraph::kSampleRate;
    EXPECT_NEAR(double(movie->currentTime() - start), double(expected), 2.0)
        << "the clock counts the frames played, not the frames decoded";

    // Without render cycles (a stopped output) the clock stands still, refills or not.
    const int64_t stopped = movie->currentTime();
    movie->decodeImageWaitUntilDone([&] { movie->decodeMoreAudioDataToAudioOutputHelper(); }, true);
    EXPECT_EQ(movie->currentTime(), stopped);
}

TEST(Movie, RefillOnlyWhenTheOutputRunsLow)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    LMOutputAudioGraph *graph = movie->audioOutputGraph();
    ASSERT_TRUE(graph);
    std::vector<float> silence(size_t(3000) * 2, 0.0f);

    graph->writeSampleFrame(silence.data(), 3000);
    movie->decodeImageWaitUntilDone([&] { movie->decodeMoreAudioDataToAudioOutputHelper(); }, true);
    EXPECT_EQ(graph->bufferFrames(), 3000);

    graph->clearBuffer();
    graph->writeSampleFrame(silence.data(), 2047);
    const int64_t before = movie->currentTime();
    movie->decodeImageWaitUntilDone([&] { movie->decodeMoreAudioDataToAudioOutputHelper(); }, true);
    EXPECT_EQ(graph->bufferFrames(), 2047 + LMFFMovie::kRefillFrames);
    // Decoded but not played: the clock does not move yet.
    EXPECT_EQ(movie->currentTime(), before);
}

TEST(Movie, RefillQueuedBeforeASeekDoesNotPushTheClockPastTheSeek)
{
    // A refill that runs after the seek moved the clock but before the seek's own work reads
    // audio at the old position; that audio is dropped with the output's buffer, so it must not
    // count towards the new position either.
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    movie->decodeImageWaitUntilDone([gate] { gate.wait(); }, false);
    movie->decodeImageWaitUntilDone([&] { movie->decodeMoreAudioDataToAudioOutputHelper(); },
                                    false);
    movie->seek(kSecond);
    release.set_value();
    movie->flushOperation();
    EXPECT_EQ(movie->audioOutputGraph()->bufferFrames(), 0);
    EXPECT_EQ(movie->currentTime(), kSecond);
}

TEST(Movie, ClockReadsTheSeekPointWhileTheOldAudioIsStillBuffered)
{
    // Audio from before the seek sits in the output until the decode queue drops it; the clock
    // must not read the seek point less that audio (a player would take it for a time before the
    // point it just jumped to).
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    LMOutputAudioGraph *graph = movie->audioOutputGraph();
    ASSERT_TRUE(graph);
    std::vector<float> old(size_t(4800) * 2, 0.0f);
    graph->writeSampleFrame(old.data(), 4800);
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    movie->decodeImageWaitUntilDone([gate] { gate.wait(); }, false);
    movie->seek(2 * kSecond);
    EXPECT_EQ(movie->currentTime(), 2 * kSecond) << "while the seek waits behind other work";
    release.set_value();
    movie->flushOperation();
    EXPECT_EQ(graph->bufferFrames(), 0);
    EXPECT_EQ(movie->currentTime(), 2 * kSecond);
}

TEST(Movie, SplitVideoAndAudioMediasAreBothCurrentAndOnlyAudioIsMixed)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    ASSERT_EQ(movie->medias().size(), 2);
    std::vector<float> block(size_t(LMFFMovie::kRefillFrames) * 2, 0.0f);
    movie->decodeImageWaitUntilDone(
        [&] { movie->readSampleFrame(block.data(), LMFFMovie::kRefillFrames); }, true);
    EXPECT_EQ(movie->currentVideoMedia(), movie->medias().at(0));
    EXPECT_EQ(movie->currentAudioMedia(), movie->medias().at(1));
    EXPECT_FALSE(movie->medias().at(0)->hasAudio());
    float peak = 0;
    for (float sample : block)
        peak = std::max(peak, std::fabs(sample));
    EXPECT_GT(peak, 0.05f) << "the sine of the audio media";

    movie->setVolume(0.0);
    movie->decodeImageWaitUntilDone(
        [&] { movie->readSampleFrame(block.data(), LMFFMovie::kRefillFrames); }, true);
    for (float sample : block)
        ASSERT_EQ(sample, 0.0f);
}

TEST(Movie, ExportingMovieNeverDecodesTheCurrentImage)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    movie->setExportMovie(true);
    bool called = false;
    movie->decodeCurrentImageWithAction([&](const auto &) { called = true; });
    movie->flushOperation();
    EXPECT_FALSE(called);
}

TEST(Movie, WithoutVideoTheActionStillGetsAnImageWithoutFrame)
{
    struct Case
    {
        const char *name;
        QString path;
    };
    const Case cases[] = {
        {"audio only", MediaFixtures::shared().audioOnlyWav()},
        {"random bytes", MediaFixtures::shared().randomBytes()},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        auto movie = openMovie(row.path);
        EXPECT_FALSE(movie->hasVideo());
        auto image = currentImage(*movie);
        ASSERT_TRUE(image);
        EXPECT_TRUE(image->currentCIImage().isNull());
        EXPECT_TRUE(movie->thumbnailAtTimeSize(0, QSizeF(160, 120)).isNull());
    }
}

TEST(Movie, StreamCopyHandsOutRawPackets)
{
    auto movie = std::make_unique<LMFFMovie>();
    movie->setCopyVideoStream(true);
    movie->openMedias(
        LMMediaSource::mediaWithPath(MediaFixtures::shared().h264AacMp4(3))->createMedias());
    std::shared_ptr<LMFFPacket> packet;
    movie->decodeImagePacketWithAction(
        [&](const std::shared_ptr<LMFFPacket> &raw) { packet = raw; });
    ASSERT_TRUE(packet);
    EXPECT_TRUE(packet->isKeyPacket()) << "the first video packet";
}

TEST(Movie, ExternalSubtitleTextFollowsTheFrameTime)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    EXPECT_FALSE(movie->openSubtitle(MediaFixtures::shared().audioOnlyWav()));
    EXPECT_FALSE(movie->subtitle());
    ASSERT_TRUE(movie->openSubtitle(MediaFixtures::shared().srtFile()));
    EXPECT_TRUE(movie->hasSubtitle());

    std::shared_ptr<LMMovieImage> image;
    movie->decodeImageAtTimeAction(1500000, [&](const auto &frame) { image = frame; });
    ASSERT_TRUE(image);
    EXPECT_EQ(image->subtitleCurrentString(), QStringLiteral("Hello, big\nworld"));
    movie->decodeImageAtTimeAction(2200000, [&](const auto &frame) { image = frame; });
    EXPECT_TRUE(image->subtitleCurrentString().isEmpty()) << "between two events";
}

TEST_F(MovieFiles, DisplaySizeFollowsTheSampleAspectRatio)
{
    struct Case
    {
        const char *name;
        QString sar;
        double width;
    };
    const Case cases[] = {
        {"PAL 4:3 pixels", QStringLiteral("16/15"), 768},
        {"square pixels", QStringLiteral("1/1"), 720},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        auto movie = openMovie(palWithSar(row.sar));
        EXPECT_EQ(movie->videoSize(), QSizeF(720, 576));
        EXPECT_EQ(movie->videoDisplaySize(), QSizeF(row.width, 576));
        EXPECT_EQ(movie->cachedMovieImage()->outputSize(), QSizeF(720, 576));
        EXPECT_EQ(movie->cachedMovieImage()->cropRect(), QRectF(0, 0, 720, 576));
    }
}

TEST_F(MovieFiles, ThumbnailKeepsTheAspectAndLeavesTheClockAlone)
{
    auto movie = openMovie(wide());
    movie->seek(200000);
    const QImage thumbnail = movie->thumbnailAtTimeSize(500000, QSizeF(160, 120));
    EXPECT_EQ(thumbnail.size(), QSize(160, 90));
    EXPECT_EQ(movie->currentTime(), 200000);
    EXPECT_TRUE(movie->thumbnailAtTimeSize(5 * kSecond, QSizeF(160, 120)).isNull())
        << "past the end";
}

TEST_F(MovieFiles, RotationIsTheNegatedClockwiseTurnOfThePicture)
{
    // A picture to be shown turned 90 degrees clockwise. The 5.1 command line writes a "rotate"
    // tag into the display matrix with the opposite sign, so asking for 270 stores a matrix of
    // -90 degrees (counter-clockwise), the matrix older files carried for "rotate" = 90.
    const QString turned = MediaFixtures::shared().rotatedMp4(270);
    ASSERT_FALSE(turned.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    EXPECT_EQ(openMovie(turned)->default_movie_rotate(), -90);
    EXPECT_EQ(openMovie(MediaFixtures::shared().h264AacMp4(3))->default_movie_rotate(), 0);
}

TEST(Movie, ScaleRectFitsAndCentres)
{
    struct Case
    {
        const char *name;
        QRectF r, b, expected;
    };
    const Case cases[] = {
        {"wide into 4:3",
         QRectF(0, 0, 1920, 1080),
         QRectF(0, 0, 640, 480),
         QRectF(0, 60, 640, 360)},
        {"tall into square",
         QRectF(0, 0, 100, 200),
         QRectF(10, 10, 100, 100),
         QRectF(35, 10, 50, 100)},
        {"small is enlarged", QRectF(0, 0, 16, 9), QRectF(0, 0, 160, 120), QRectF(0, 15, 160, 90)},
        {"nothing to fit", QRectF(0, 0, 0, 0), QRectF(0, 0, 0, 0), QRectF(0, 0, 0, 0)},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        const QRectF result = LMFFMovie::scaleRectIn(row.r, row.b);
        EXPECT_NEAR(result.x(), row.expected.x(), 0.01);
        EXPECT_NEAR(result.y(), row.expected.y(), 0.01);
        EXPECT_NEAR(result.width(), row.expected.width(), 0.01);
        EXPECT_NEAR(result.height(), row.expected.height(), 0.01);
    }
}

TEST(Movie, ClosingDropsTheMediasAfterQueuedWork)
{
    auto movie = openMovie(MediaFixtures::shared().h264AacMp4(3));
    movie->seek(kSecond);
    movie->close();
    EXPECT_TRUE(movie->medias().isEmpty());
    EXPECT_EQ(movie->audioOutputGraph(), nullptr);
    // Decoding after close has nothing to read and still answers.
    EXPECT_TRUE(currentImage(*movie));
}

} // namespace

// The title's picture settings are kept on the movie's frame image, so every frame handed out
// carries them; a new output size drops the text subtitle rendered for the old one, while a crop
// (which does not move the subtitle) keeps it.
TEST(Movie, PictureSettingsTravelWithEveryFrame)
{
    LMFFMovie movie;
    movie.setCropRectString(QStringLiteral("{{8, 4}, {304, 232}}"));
    EXPECT_EQ(movie.cropRect(), QRectF(8, 4, 304, 232));
    movie.setOutputVideoSizeString(QStringLiteral("{720, 576}"));
    EXPECT_EQ(movie.outputVideoSize(), QSizeF(720, 576));
    EXPECT_EQ(movie.outputVideoSizeString(), QStringLiteral("{720, 576}"));
    movie.setDisplaySize(QSizeF(768, 576));
    EXPECT_EQ(movie.getvVideoEffectStream(), movie.cachedMovieImage());

    std::shared_ptr<LMMovieImage> frame = currentImage(movie);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->cropRect(), QRectF(8, 4, 304, 232));
    EXPECT_EQ(frame->outputSize(), QSizeF(720, 576));
    EXPECT_EQ(frame->displaySize(), QSizeF(768, 576));

    QImage rendered(10, 10, QImage::Format_RGBA8888);
    rendered.fill(Qt::white);
    const auto renderSubtitle = [&] {
        movie.cachedMovieImage()->setSubtitleImageString(QStringLiteral("Hello"));
        movie.cachedMovieImage()->setSubtitleImage(rendered);
    };
    renderSubtitle();
    movie.setCropRect(QRectF(0, 0, 320, 240));
    EXPECT_EQ(currentImage(movie)->subtitleImageString(), QStringLiteral("Hello"));
    movie.setOutputVideoSize(QSizeF(720, 480));
    EXPECT_TRUE(currentImage(movie)->subtitleImageString().isNull());
    EXPECT_TRUE(currentImage(movie)->subtitleImage().isNull());
    renderSubtitle();
    movie.setOutputVideoSizeString(QStringLiteral("{352, 288}"));
    EXPECT_TRUE(currentImage(movie)->subtitleImage().isNull());
    renderSubtitle();
    movie.updateSubtitle();
    EXPECT_TRUE(currentImage(movie)->subtitleImage().isNull());
}
