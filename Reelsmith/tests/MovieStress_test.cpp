// Several threads at one movie, and two movies at once: the thread contract of LMFFMovie under
// load. Meant for the ThreadSanitizer build (ctest -L tsan), where any race fails the run; in the
// other builds it checks that the answers stay consistent while the queue works.

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "testsupport/MediaFixtures.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using fixtures::MediaFixtures;

namespace {

constexpr int64_t kSecond = 1000000;

std::unique_ptr<LMFFMovie> openMovie(const QString &path)
{
    auto movie = std::make_unique<LMFFMovie>();
    movie->openMedias(LMMediaSource::mediaWithPath(path)->createMedias());
    return movie;
}

TEST(MovieStress, SeeksQueriesSelectionsAndDecodesFromSeveralThreadsAtOnce)
{
    const QString path = MediaFixtures::shared().h264AacMp4(5);
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto movie = openMovie(path);
    ASSERT_TRUE(movie->hasVideo());
    const int64_t duration = movie->duration();
    const QSizeF size = movie->videoSize();

    std::atomic<bool> stop{false};
    std::atomic<int> wrongAnswers{0};
    std::atomic<int> frames{0};
    std::vector<std::thread> threads;

    // Seekers: each its own walk over the timeline.
    for (int s = 0; s < 2; ++s) {
        threads.emplace_back([&, s] {
            for (int i = 0; i < 40; ++i)
                movie->seek(((i * 7 + s * 3) % 45) * kSecond / 10);
        });
    }
    // Queriers: what a user interface asks while the movie works.
    for (int q = 0; q < 2; ++q) {
        threads.emplace_back([&] {
            while (!stop.load()) {
                if (!movie->hasVideo() || !movie->hasAudio())
                    ++wrongAnswers;
                if (movie->duration() != duration || movie->videoSize() != size)
                    ++wrongAnswers;
                (void)movie->selectAudioStreams();
                (void)movie->audioStreams();
                (void)movie->audioFormat();
                (void)movie->currentVideoMedia();
                (void)movie->currentVideoMediaMaxTime();
                (void)movie->videoMediaAtTime(kSecond);
                (void)movie->currentTime();
                std::this_thread::yield();
            }
        });
    }
    // Selections change on the queue while queries read them.
    threads.emplace_back([&] {
        for (int i = 0; i < 10; ++i) {
            movie->setSelectAudioStreams(i % 2 ? std::optional<QSet<int>>(QSet<int>{0})
                                               : std::nullopt);
            std::this_thread::yield();
        }
    });
    // Decoders: pictures at the clock, and audio blocks.
    threads.emplace_back([&] {
        for (int i = 0; i < 20; ++i) {
            movie->decodeImageAtTimeAction(LMFFMovie::kCurrentTime, [&](const auto &image) {
                if (image && !image->currentCIImage().isNull())
                    ++frames;
            });
        }
    });
    threads.emplace_back([&] {
        std::vector<float> block(size_t(LMFFMovie::kRefillFrames) * 2);
        for (int i = 0; i < 20; ++i)
            movie->decodeImageWaitUntilDone(
                [&] { movie->readSampleFrame(block.data(), LMFFMovie::kRefillFrames); }, true);
    });

    // Seekers 0-1, queriers 2-3, then the selector and the two decoders: the queriers run until
    // everyone else is done.
    for (size_t i = 0; i < threads.size(); ++i)
        if (i != 2 && i != 3)
            threads[i].join();
    stop.store(true);
    threads[2].join();
    threads[3].join();
    movie->flushOperation();

    EXPECT_EQ(wrongAnswers.load(), 0) << "queries must see whole, consistent answers";
    EXPECT_GT(frames.load(), 0);
    // After the last seek settles, a decode lands where the clock is.
    movie->seek(2 * kSecond);
    std::shared_ptr<LMMovieImage> image;
    movie->decodeCurrentImageWithAction([&](const auto &frame) { image = frame; });
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frameTime(), 2 * kSecond);
}

TEST(MovieStress, TwoMoviesDecodeInParallel)
{
    const QString path = MediaFixtures::shared().h264AacMp4(3);
    ASSERT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    std::atomic<int> misplaced{0};
    auto play = [&](int64_t offset) {
        auto movie = openMovie(path);
        for (int i = 0; i < 6; ++i) {
            const int64_t t = (offset + i * 400000) % (2 * kSecond);
            movie->seek(t);
            movie->decodeCurrentImageWithAction([&](const auto &image) {
                if (!image || image->frameTime() != t)
                    ++misplaced;
            });
        }
    };
    std::thread first(play, 0);
    std::thread second(play, 200000);
    first.join();
    second.join();
    EXPECT_EQ(misplaced.load(), 0) << "each movie decodes its own frames at its own clock";
}

} // namespace
