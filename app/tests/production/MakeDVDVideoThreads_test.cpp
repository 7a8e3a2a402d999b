// The title conversion's jobs at once, built for ThreadSanitizer too: two and three titles
// converted at once and one at a time write the same pictures and samples, a page's menu video
// encodes beside running titles, and a cancel from another thread stops jobs that run at once.
// No child process is started here (the thread sanitizer cannot follow a fork in a threaded
// process): the clips come from the engine's media maker, the menus are off (their subpictures
// are laid in by a program), and the streams are read back in this process.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/VCVideoConverter.h"
#include "app/Transition/TransitionManager.h"
#include "app/production/DVDMenuVideo.h"
#include "app/production/MakeDVDVideo.h"
#include "support/AppFakes.h"
#include "support/TrimmedTitle.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/WaitUntil.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;
using namespace std::chrono_literals;

constexpr int64_t kSecond = 1000000;

// What a stream decodes to: its pictures and, over every channel, its sample frames.
struct DecodedCounts
{
    int videoFrames = 0;
    int64_t audioSamples = 0;
    int width = 0;
    int height = 0;
    QString error;
};

// Decodes every packet of the first video and the first audio stream of path with libavcodec
// (not through the engine that wrote it), draining both decoders at the end.
DecodedCounts decodeStreams(const QString &path)
{
    DecodedCounts counts;
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0) {
        counts.error = QStringLiteral("cannot open %1").arg(path);
        return counts;
    }
    AVCodecContext *decoders[2] = {nullptr, nullptr};
    int streams[2] = {-1, -1};
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    auto receive = [&](int which) {
        while (avcodec_receive_frame(decoders[which], frame) >= 0) {
            if (which == 0)
                ++counts.videoFrames;
            else
                counts.audioSamples += frame->nb_samples;
            av_frame_unref(frame);
        }
    };
    do {
        if (avformat_find_stream_info(format, nullptr) < 0) {
            counts.error = QStringLiteral("no stream info in %1").arg(path);
            break;
        }
        const AVMediaType types[2] = {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO};
        for (int which = 0; which < 2 && counts.error.isEmpty(); ++which) {
            streams[which] = av_find_best_stream(format, types[which], -1, -1, nullptr, 0);
            if (streams[which] < 0) {
                counts.error = QStringLiteral("a stream is missing in %1").arg(path);
                break;
            }
            const AVCodecParameters *parameters = format->streams[streams[which]]->codecpar;
            const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
            decoders[which] = avcodec_alloc_context3(codec);
            if (!codec || !decoders[which]
                || avcodec_parameters_to_context(decoders[which], parameters) < 0
                || avcodec_open2(decoders[which], codec, nullptr) < 0)
                counts.error = QStringLiteral("no decoder for a stream of %1").arg(path);
        }
        if (!counts.error.isEmpty())
            break;
        counts.width = format->streams[streams[0]]->codecpar->width;
        counts.height = format->streams[streams[0]]->codecpar->height;
        while (av_read_frame(format, packet) >= 0) {
            for (int which = 0; which < 2; ++which) {
                if (packet->stream_index == streams[which]
                    && avcodec_send_packet(decoders[which], packet) >= 0)
                    receive(which);
            }
            av_packet_unref(packet);
        }
        for (int which = 0; which < 2; ++which) {
            avcodec_send_packet(decoders[which], nullptr);
            receive(which);
        }
    } while (false);
    av_frame_free(&frame);
    av_packet_free(&packet);
    for (AVCodecContext *&decoder : decoders)
        avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return counts;
}

// A PAL 16:9 disc of titles, menus off.
DVDLibraryRef makeDisc(const ObjectList &titles)
{
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setFormat(1);
    dvd->setAspectType(1);
    dvd->setDvdBitrate(4000);
    dvd->setNoMenu(true);
    dvd->setTitles(titles);
    return dvd;
}

// Runs the conversion on a production thread of its own while another thread asks for the
// progress the whole time, as the progress window does.
bool runConversion(MakeDVDVideo &make, const DVDLibraryRef &dvd, const QString &work)
{
    std::atomic<bool> done{false};
    bool succeeded = false;
    std::thread production([&] {
        succeeded = make.makeDVDVideoTo(dvd, work);
        done.store(true);
    });
    double last = 0.0;
    while (!done.load()) {
        const double now = make.progress();
        EXPECT_GE(now, last);
        EXPECT_LT(now, 1.0);
        last = now;
        std::this_thread::sleep_for(10ms);
    }
    production.join();
    return succeeded;
}

class ShippedTransitions : public TransitionManager
{
public:
    ShippedTransitions() { init(); }
    QString quartzRenderBundleForResource() const override
    {
        return QStringLiteral(DW_BINARY_DIR "/resources");
    }
};

// A page of duration seconds whose slideshow dissolves between two pictures made in memory.
std::shared_ptr<DVDMenu> slideshowPage(double seconds)
{
    static const ShippedTransitions catalogue;
    auto picture = [](QColor colour) {
        QImage image(640, 480, QImage::Format_ARGB32_Premultiplied);
        image.fill(colour);
        auto item = std::make_shared<BackPictureItem>();
        item->setPreviewImage4_3(image);
        item->setPreviewImage16_9(image.scaled(854, 480));
        return item;
    };
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setTransitionCatalogue(&catalogue);
    drawer->setRenderName(QStringLiteral("Dissolve"));
    drawer->setEveryImageDuration(seconds / 2.0);
    drawer->setEveryRenderDuration(seconds / 4.0);
    drawer->setImageItemArray({picture(Qt::red), picture(Qt::blue)});
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(720, 576));
    page->setDuration(seconds);
    page->setMenu_drawer(drawer);
    page->setUse_menu_drawer(true);
    return page;
}

class MakeDVDVideoThreads : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { LMFFMovie::initialize(); }
    void SetUp() override
    {
        application();
        ASSERT_TRUE(work.isValid());
        bars = fixtures::MediaFixtures::shared().h264AacMp4(3);
        ASSERT_FALSE(bars.isEmpty()) << qPrintable(fixtures::MediaFixtures::shared().lastError());
        circles = fixtures::MediaFixtures::shared().testsrc2SineMp4(4);
        ASSERT_FALSE(circles.isEmpty())
            << qPrintable(fixtures::MediaFixtures::shared().lastError());
    }

    QString bars;
    QString circles;
    QTemporaryDir work;
};

// Jobs at once must write what one at a time writes: the same pictures and the same samples in
// every title, two or three jobs running, with the same clip file read by several jobs at once.
TEST_F(MakeDVDVideoThreads, JobsAtOnceWriteTheFramesAndSamplesOfOneAtATime)
{
    auto makeTitles = [&] {
        return ObjectList{makeTitleOf({{bars, 0.0, 1.6}}),
                          makeTitleOf({{circles, 0.2, 1.0}, {bars, 0.4, 1.2}}),
                          makeTitleOf({{circles, 0.0, 1.2}})};
    };
    QList<DecodedCounts> results[3];
    const int jobsList[] = {1, 2, 3};
    for (int run = 0; run < 3; ++run) {
        const int jobs = jobsList[run];
        SCOPED_TRACE(jobs);
        QTemporaryDir folder;
        MakeDVDVideo make;
        make.setMaxConcurrentJobs(jobs);
        ASSERT_TRUE(runConversion(make, makeDisc(makeTitles()), folder.path()))
            << qPrintable(make.lastError());
        EXPECT_DOUBLE_EQ(make.convertedLength(), 1.6 + 1.6 + 1.2);
        for (int i = 0; i < 3; ++i)
            results[run].append(decodeStreams(folder.filePath(MakeDVDVideo::titleFileName(i))));
    }
    const int frames[] = {40, 40, 30};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const DecodedCounts &alone = results[0][i];
        ASSERT_TRUE(alone.error.isEmpty()) << qPrintable(alone.error);
        EXPECT_EQ(alone.width, 720);
        EXPECT_EQ(alone.height, 576);
        EXPECT_EQ(alone.videoFrames, frames[i]);
        // Within one AC-3 frame (1536 samples) of the title's length.
        EXPECT_NEAR(double(alone.audioSamples), frames[i] / 25.0 * 48000.0, 1536.0);
        for (int run = 1; run < 3; ++run) {
            const DecodedCounts &together = results[run][i];
            ASSERT_TRUE(together.error.isEmpty()) << qPrintable(together.error);
            EXPECT_EQ(together.videoFrames, alone.videoFrames) << jobsList[run] << " jobs";
            EXPECT_EQ(together.audioSamples, alone.audioSamples) << jobsList[run] << " jobs";
        }
    }
}

// A page's menu video is encoded as the pipeline encodes it (its music first, then the page
// drawn over that sound) while the titles convert beside it: both come out whole.
TEST_F(MakeDVDVideoThreads, APageEncodesBesideRunningTitles)
{
    const QString music = fixtures::MediaFixtures::shared().audioOnlyWav();
    ASSERT_FALSE(music.isEmpty());
    const auto page = slideshowPage(2.0);
    page->setMusic(MediaData::mediaDataWithPath(music));
    const DVDMenuVideoList pageVideos = DVDMenuExtention::vcmovies(page);
    ASSERT_EQ(pageVideos.size(), 1);
    const DVDMenuVideoRef pageVideo = pageVideos[0];
    const LMFFMovieFileOutputFormat format = MakeDVDVideo::movieOutputFormat(*makeDisc({}));

    const auto dvd
        = makeDisc({makeTitleOf({{bars, 0.0, 1.6}}), makeTitleOf({{circles, 0.0, 1.2}})});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(2);
    bool titlesDone = false;
    std::thread production([&] { titlesDone = make.makeDVDVideoTo(dvd, work.path()); });

    bool pageDone = false;
    QString pageError;
    std::thread pageJob([&] {
        const QString musicFile = work.filePath(QStringLiteral("page-music.dvd"));
        const auto musicConverter
            = MakeDVDVideo::convertMoviesToFormat(pageVideo->musicVcMovies(), musicFile, format);
        musicConverter->startConvert();
        musicConverter->waitUntilFinished();
        if (!musicConverter->isFinished()) {
            pageError = musicConverter->lastError();
            return;
        }
        pageVideo->setAudioMovie(VCMovie::movieWithSource(LMMediaSource::mediaWithPath(musicFile)));
        const auto pageConverter = MakeDVDVideo::convertMoviesToFormat(
            MakeDVDVideo::getMoviesFromTitle(pageVideo), work.filePath("page.dvd"), format);
        // The page draws its own pictures, as in the pipeline.
        pageConverter->setUsesOwnDecoders(false);
        pageConverter->startConvert();
        pageConverter->waitUntilFinished();
        pageDone = pageConverter->isFinished();
        pageError = pageConverter->lastError();
    });
    production.join();
    pageJob.join();

    ASSERT_TRUE(titlesDone) << qPrintable(make.lastError());
    ASSERT_TRUE(pageDone) << qPrintable(pageError);
    const int frames[] = {40, 30};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const DecodedCounts counts = decodeStreams(work.filePath(MakeDVDVideo::titleFileName(i)));
        ASSERT_TRUE(counts.error.isEmpty()) << qPrintable(counts.error);
        EXPECT_EQ(counts.videoFrames, frames[i]);
        EXPECT_NEAR(double(counts.audioSamples), frames[i] / 25.0 * 48000.0, 1536.0);
    }
    const DecodedCounts counts = decodeStreams(work.filePath("page.dvd"));
    ASSERT_TRUE(counts.error.isEmpty()) << qPrintable(counts.error);
    EXPECT_EQ(counts.videoFrames, 50);
    // The music is encoded twice (on its own, then under the page): up to one more AC-3 frame.
    EXPECT_NEAR(double(counts.audioSamples), 2.0 * 48000.0, 2 * 1536.0);
}

// A cancel from another thread while jobs run at once stops them all and leaves the work folder
// as it was.
TEST_F(MakeDVDVideoThreads, ACancelWhileJobsRunAtOnceLeavesNoWorkFile)
{
    const auto dvd = makeDisc({makeTitleOf({{bars, 0.0, 3.0}}),
                               makeTitleOf({{circles, 0.0, 2.0}, {bars, 0.0, 3.0}}),
                               makeTitleOf({{circles, 0.0, 2.0}})});
    MakeDVDVideo make;
    make.setMaxConcurrentJobs(3);
    bool succeeded = true;
    std::atomic<bool> returned = false;
    std::thread production([&] {
        succeeded = make.makeDVDVideoTo(dvd, work.path());
        returned = true;
    });
    bool cancelledWhileRunning = false;
    std::thread canceller([&] {
        // A run that ends (or fails) before a tenth must not leave this thread waiting forever.
        cancelledWhileRunning
            = fixtures::waitUntil([&] { return make.progress() >= 0.1 || returned.load(); }, 120000)
              && !returned.load();
        make.cancel();
    });
    production.join();
    canceller.join();
    EXPECT_TRUE(cancelledWhileRunning) << "the run ended before the cancel";
    EXPECT_FALSE(succeeded);
    EXPECT_TRUE(make.isCancelled());
    EXPECT_EQ(make.lastError(), "cancelled");
    EXPECT_TRUE(
        QDir(work.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
