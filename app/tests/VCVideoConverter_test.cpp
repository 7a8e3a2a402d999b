#include "Platterkit/model/DVDMenu.h"
#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/BackPictureItem.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/Convert/VCVideoConverter.h"
#include "app/AppExtention/Convert/VCVideoConverterDelegate.h"
#include "app/Transition/TransitionManager.h"
#include "app/production/DVDMenuVideo.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/MenuFixtures.h"
#include "testsupport/EventLoop.h"
#include "testsupport/GuiApplication.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>
#include <thread>

extern "C" {
#include <libavutil/channel_layout.h>
}

using namespace fixtures;
using namespace std::chrono_literals;

namespace {

constexpr int64_t kSecond = 1000000;

LMFFMovieFileOutputFormat dvdFormat(int width = 720, int height = 576)
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = width;
    format.height = height;
    format.video_codec = lm_get_codec_id_by_name("mpeg2");
    format.video_bitrate = 4000000;
    format.framerate = 25;
    format.frameTime = 1;
    format.aspect = float(16.0 / 9.0);
    format.sample_rate = 48000;
    format.audio_codec = lm_get_codec_id_by_name("ac3");
    format.audio_bitrate = 448000;
    return format;
}

LMFFMovieFileOutputFormat mp4Format()
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = 320;
    format.height = 240;
    format.framerate = 25;
    format.frameTime = 1;
    format.video_codec = lm_get_codec_id_by_name("h264");
    format.video_bitrate = 1000000;
    format.audio_codec = lm_get_codec_id_by_name("aac");
    return format;
}

VCMovieRef clipOf(const QString &path)
{
    return VCMovie::movieWithSource(LMMediaSource::mediaWithPath(path));
}

// A piece of the clip's movie from start for length (engine time), as the title list cuts them.
VCMovieRef pieceOf(const VCMovieRef &clip, int64_t start, int64_t length)
{
    auto piece = std::make_shared<VCMovie>(clip->movie());
    piece->setTrimStart(start);
    piece->setTrimStop(start + length);
    return piece;
}

VCVideoConverterRef converterFor(const VCMovieList &movies,
                                 const QString &path,
                                 const LMFFMovieFileOutputFormat &format)
{
    auto converter = std::make_shared<VCVideoConverter>();
    converter->setMovies(movies);
    converter->setPath(path);
    converter->setMovieOutputFormat(format);
    converter->updateConverterContent();
    return converter;
}

// Starts the run, samples progress from this thread while it runs, and waits for the end.
double runToEnd(VCVideoConverter &converter)
{
    converter.startConvert();
    double highest = 0;
    while (!converter.waitUntilFinished(20ms)) {
        const double progress = converter.progress();
        // The run may end between the wait and the sample; a finished run reads 1.
        if (!converter.isFinished()) {
            EXPECT_LE(progress, 0.99);
        }
        EXPECT_GE(progress, highest) << "progress fell";
        highest = std::max(highest, progress);
    }
    return highest;
}

// Every file in folder, hidden ones included.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

int64_t countOf(const QJsonObject &stream, const char *key)
{
    return stream.value(key).toString().toLongLong();
}

QJsonObject countedStream(const QString &path, const char *selector)
{
    const QJsonObject probe
        = ffprobeJson(path, {"-count_frames", "-select_streams", selector, "-show_streams"});
    const QJsonArray streams = probe.value("streams").toArray();
    return streams.isEmpty() ? QJsonObject() : streams.first().toObject();
}

// Records the delegate's messages on the thread of the object it lives in.
class RecordingDelegate : public QObject, public VCVideoConverterDelegate
{
public:
    void converterDidFinished(VCVideoConverter *converter) override
    {
        ++finished;
        lastStatus = converter->statusType();
    }
    void converterDidPaused(VCVideoConverter *) override { ++paused; }
    void converterDidResume(VCVideoConverter *) override { ++resumed; }

    int finished = 0;
    int paused = 0;
    int resumed = 0;
    int64_t lastStatus = 0;
};

class VCVideoConverterTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { LMFFMovie::initialize(); }
    void SetUp() override
    {
        application();
        // Links the support's sanitizer settings: the subtitle text is laid out with fontconfig,
        // whose process-long allocations are not leaks.
        ensureGuiApplication();
        ASSERT_TRUE(m_dir.isValid());
        m_clip = MediaFixtures::shared().h264AacMp4(3);
        ASSERT_FALSE(m_clip.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    }
    QString out(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_clip;
};

// --- Stream copy and pass-through rules ----------------------------------------------------

TEST_F(VCVideoConverterTest, TheCopyTableAcceptsOnlyItsEnabledKeysExactly)
{
    struct Row
    {
        const char *key;
        bool accepted;
    };
    const Row rows[] = {
        {"mp4:video:h264", true},
        {"mp4:audio:aac", true},
        {"mkv:audio:vorbis", true},
        {"mpg:video:mpeg2video", true},
        {"MP4:video:h264", false},        // the extension as written, case counts
        {"mp4:video:mpeg2video", false},  // listed as refused
        {"#mp4:video:mpeg2video", false}, // a refused entry itself, as a "#mp4" path builds it
        {"#mov:audio:ac3", false},
        {"dvd:video:mpeg2video", false},
        {"dv:video:dvvideo", false},
        {"mp4:video:", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(VCVideoConverter::acceptCodecCopy(QString::fromLatin1(row.key)), row.accepted);
    }
}

TEST_F(VCVideoConverterTest, StreamsAreCopiedOnlyWhereTheOutputTakesThemUnchanged)
{
    const QString other = MediaFixtures::shared().h264AacMp4(5);
    ASSERT_FALSE(other.isEmpty());
    struct Row
    {
        const char *name;
        const char *file;
        bool requestVideo;
        bool requestAudio;
        bool twoSources;
        bool surround;
        bool videoCopied;
        bool audioCopied;
    };
    const Row rows[] = {
        {"a DVD title is always encoded", "t.dvd", true, true, false, false, false, false},
        {"H.264 and AAC into mp4", "t.mp4", true, true, false, false, true, true},
        {"the extension written in capitals", "t.MP4", true, true, false, false, false, false},
        {"a 5.1 output encodes the sound", "t.mp4", true, true, false, true, true, false},
        {"two source movies", "t.mp4", true, true, true, false, false, false},
        {"sound copy without picture copy", "t.mp4", false, true, false, false, false, false},
        {"nothing asked for", "t.mp4", false, false, false, false, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        VCMovieList movies{clipOf(m_clip)};
        if (row.twoSources)
            movies.append(clipOf(other));
        LMFFMovieFileOutputFormat format = mp4Format();
        if (row.surround)
            format.channel_layout = AV_CH_LAYOUT_5POINT1;
        auto converter = std::make_shared<VCVideoConverter>();
        converter->setMovies(movies);
        converter->setPath(out(row.file));
        converter->setMovieOutputFormat(format);
        converter->updateConverterSpeedFast(row.requestVideo, row.requestAudio);
        converter->updateConverterContent();
        converter->updateConverterSpeedMode();
        EXPECT_EQ(converter->skipDecodeImage(), row.videoCopied);
        EXPECT_EQ(converter->skipDecodeAudio(), row.audioCopied);
        EXPECT_TRUE(converter->hasVideo());
        EXPECT_TRUE(converter->hasAudio());
        EXPECT_EQ(converter->duration(), row.twoSources ? 8 * kSecond : 3 * kSecond);
    }
}

TEST_F(VCVideoConverterTest, AnythingTheFrameImageChangesCountsAsAnEdit)
{
    struct Row
    {
        const char *name;
        std::function<void(LMFFMovie &)> edit;
        bool unedited;
    };
    const Row rows[] = {
        {"as opened", [](LMFFMovie &) {}, true},
        {"crop of 2 pixels",
         [](LMFFMovie &m) { m.setCropRect(QRectF(0, 0, m.videoSize().width() - 2, 240)); },
         false},
        {"crop within a pixel",
         [](LMFFMovie &m) { m.setCropRect(QRectF(0, 0, m.videoSize().width() - 0.5, 240)); },
         true},
        {"contrast within 0.001", [](LMFFMovie &m) { m.setContrast(0.2505f); }, true},
        {"contrast 0.255", [](LMFFMovie &m) { m.setContrast(0.255f); }, false},
        {"brightness", [](LMFFMovie &m) { m.setBrightness(0.6f); }, false},
        {"a named effect", [](LMFFMovie &m) { m.setEffectName("Color Invert"); }, false},
        {"sharpness", [](LMFFMovie &m) { m.setSharpness(0.7f); }, false},
        {"rotation", [](LMFFMovie &m) { m.setRotate(90); }, false},
        {"horizontal flip", [](LMFFMovie &m) { m.setHflip(true); }, false},
        {"zoom type 6", [](LMFFMovie &m) { m.setZoomType(6); }, false},
        {"subtitle track selected",
         [](LMFFMovie &m) { m.setSelectSubtitleStreams(QSet<int>{0}); },
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto clip = clipOf(m_clip);
        ASSERT_TRUE(clip);
        row.edit(*clip->movie());
        EXPECT_EQ(VCVideoConverter::isNoneEditWithMovie(*clip->movie()), row.unedited);
        EXPECT_EQ(VCVideoConverter::isCanCopyImageForMovie(*clip), row.unedited);
    }
}

TEST_F(VCVideoConverterTest, FadesMoveInWholeBlocksAndTheFadeInWinsWhereTheyOverlap)
{
    struct Row
    {
        const char *name;
        int64_t hasRead, total, fadeIn, fadeOut;
        double gain;
    };
    const Row rows[] = {
        {"no fades", 4096, 48000, 0, 0, 1.0},
        {"first block of a 1 s fade-in", 0, 480000, 48000, 0, 0.0},
        {"block at 24576 of a 1 s fade-in", 24576, 480000, 48000, 0, 0.512},
        {"inside the fade-out", 470000, 480000, 0, 48000, 10000.0 / 48000.0},
        {"overlap: the fade-in wins", 1000, 4000, 2000, 4000, 0.5},
        {"past the end", 5000, 4000, 0, 1000, 0.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(VCVideoConverter::fadeGain(row.hasRead, row.total, row.fadeIn, row.fadeOut),
                    row.gain,
                    1e-9);
    }
}

// --- Real conversions ----------------------------------------------------------------------

TEST_F(VCVideoConverterTest, AnUneditedClipBecomesADvdTitleBesideItsDestination)
{
    const QString path = out("title0.dvd");
    auto converter = converterFor({clipOf(m_clip)}, path, dvdFormat());
    // Progress moves while the run lasts.
    EXPECT_GT(runToEnd(*converter), 0.5);

    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_TRUE(converter->lastError().isEmpty());
    EXPECT_EQ(converter->progress(), 1.0);
    EXPECT_EQ(converter->lastPictureMode(), VCVideoConverter::PictureMode::PassThrough);
    // Decoding ran ahead of the encoder, never further than the pool.
    EXPECT_GE(converter->maxPicturesAhead(), 2);
    EXPECT_LE(converter->maxPicturesAhead(), VCVideoConverter::kImagePoolSize);
    EXPECT_EQ(filesIn(m_dir.path()), QStringList{"title0.dvd"});
    EXPECT_EQ(QFileInfo(path).size() % 2048, 0);

    const QJsonObject video = countedStream(path, "v:0");
    EXPECT_EQ(video.value("codec_name").toString(), "mpeg2video");
    EXPECT_EQ(video.value("width").toInt(), 720);
    EXPECT_EQ(video.value("height").toInt(), 576);
    EXPECT_EQ(video.value("display_aspect_ratio").toString(), "16:9");
    EXPECT_EQ(countOf(video, "nb_read_frames"), 75);
    const QJsonObject audio = countedStream(path, "a:0");
    EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
    EXPECT_EQ(audio.value("sample_rate").toString(), "48000");
    EXPECT_EQ(audio.value("channels").toInt(), 2);

    // The authoring tool takes it as a PAL 16:9 title of 3 s.
    const QString disc = out("disc");
    ASSERT_TRUE(QDir().mkpath(disc));
    QString log;
    ASSERT_TRUE(authorOneTitle(path, disc, true, &log)) << log.toStdString();
    ASSERT_EQ(runTool(QStringLiteral("lsdvd"), {"-a", "-v", disc + "/dvd"}, &log), 0)
        << log.toStdString();
    EXPECT_TRUE(log.contains("PAL")) << log.toStdString();
    EXPECT_TRUE(log.contains("16/9")) << log.toStdString();
    EXPECT_TRUE(log.contains("ac3")) << log.toStdString();
    EXPECT_TRUE(log.contains("00:00:03")) << log.toStdString();
}

TEST_F(VCVideoConverterTest, ManyShortPiecesKeepSoundAndPicturesTogether)
{
    // 30 pieces of 1.02 s: counted per piece they would give 780 frames (31.2 s) of pictures.
    const auto clip = clipOf(m_clip);
    VCMovieList pieces;
    for (int i = 0; i < 30; ++i)
        pieces.append(pieceOf(clip, 0, 1020000));
    const QString path = out("pieces.dvd");
    auto converter = converterFor(pieces, path, dvdFormat(352, 288));
    EXPECT_EQ(converter->duration(), 30600000);
    runToEnd(*converter);
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();

    const QJsonObject video = countedStream(path, "v:0");
    EXPECT_NEAR(double(countOf(video, "nb_read_frames")), 765.0, 1.0);
    const QJsonObject audio = countedStream(path, "a:0");
    // An AC-3 frame is 1536 samples: 32 ms at 48 kHz.
    EXPECT_NEAR(double(countOf(audio, "nb_read_frames")) * 0.032, 30.6, 0.032);
}

TEST_F(VCVideoConverterTest, APieceOfNoLengthAddsNothing)
{
    const auto clip = clipOf(m_clip);
    const QString path = out("gap.dvd");
    auto converter = converterFor(
        {pieceOf(clip, 0, kSecond), pieceOf(clip, kSecond, 0), pieceOf(clip, 2 * kSecond, kSecond)},
        path,
        dvdFormat(352, 288));
    runToEnd(*converter);
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->currentMovieIndex(), 3);
    EXPECT_EQ(countOf(countedStream(path, "v:0"), "nb_read_frames"), 50);
}

TEST_F(VCVideoConverterTest, AnEditedClipIsDrawnWithItsEdits)
{
    const auto clip = clipOf(m_clip);
    clip->movie()->setEffectName(QStringLiteral("Color Invert"));
    const QString path = out("edited.dvd");
    auto converter = converterFor({clip}, path, dvdFormat(352, 288));
    runToEnd(*converter);
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), VCVideoConverter::PictureMode::Composed);
    EXPECT_EQ(countOf(countedStream(path, "v:0"), "nb_read_frames"), 75);

    // testsrc's top-left colour bar is light; inverted it is dark.
    QImage source, written;
    ASSERT_TRUE(ffmpegFrameAt(m_clip, 1.0, &source));
    ASSERT_TRUE(ffmpegFrameAt(path, 1.0, &written));
    const QColor before = source.pixelColor(source.width() / 14, source.height() / 4);
    const QColor after = written.pixelColor(written.width() / 14, written.height() / 4);
    EXPECT_NEAR(after.red(), 255 - before.red(), 40);
    EXPECT_NEAR(after.green(), 255 - before.green(), 40);
}

// Pixels of the lower third where two pictures of the same size differ by more than 64 in some
// channel: the marks of a text drawn on one of them.
int lowerThirdMarks(const QImage &a, const QImage &b)
{
    int marks = 0;
    for (int y = a.height() * 2 / 3; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            if (std::max({std::abs(p.red() - q.red()),
                          std::abs(p.green() - q.green()),
                          std::abs(p.blue() - q.blue())})
                > 64)
                ++marks;
        }
    }
    return marks;
}

TEST_F(VCVideoConverterTest, AClipsSubtitleTextReachesTheTitleFromItsOwnDecoders)
{
    // The clip's subtitle is opened from a temporary file that is gone at once, as the editor
    // does; the run's own movie still shows it.
    QFile srt(MediaFixtures::shared().srtFile());
    ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
    const auto titled = clipOf(m_clip);
    titled->setSubtitlePath(QStringLiteral("/somewhere/clip.srt"));
    titled->setSubtitleContent(QString::fromUtf8(srt.readAll()));
    titled->openSubtitleContent();
    ASSERT_TRUE(titled->movie()->hasSubtitle());

    const QString withText = out("subtitled.dvd");
    const QString without = out("plain.dvd");
    auto a = converterFor({titled}, withText, dvdFormat(352, 288));
    auto b = converterFor({clipOf(m_clip)}, without, dvdFormat(352, 288));
    // Both drawn the same way, so that only the text tells them apart.
    b->setCopyImage(false);
    runToEnd(*a);
    runToEnd(*b);
    ASSERT_TRUE(a->isFinished()) << a->lastError().toStdString();
    ASSERT_TRUE(b->isFinished()) << b->lastError().toStdString();
    EXPECT_EQ(a->lastPictureMode(), VCVideoConverter::PictureMode::Composed);

    QImage textFrame, plainFrame, quietFrame, plainQuietFrame;
    ASSERT_TRUE(ffmpegFrameAt(withText, 1.5, &textFrame));
    ASSERT_TRUE(ffmpegFrameAt(without, 1.5, &plainFrame));
    ASSERT_TRUE(ffmpegFrameAt(withText, 2.2, &quietFrame));
    ASSERT_TRUE(ffmpegFrameAt(without, 2.2, &plainQuietFrame));
    const int shown = lowerThirdMarks(textFrame, plainFrame);
    const int quiet = lowerThirdMarks(quietFrame, plainQuietFrame);
    EXPECT_GT(shown, 100) << "between events: " << quiet;
    EXPECT_LT(quiet, 10) << "with the text: " << shown;
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

TEST_F(VCVideoConverterTest, AMenuPageIsDrawnByThePageAndCarriesItsMusic)
{
    // A 2 s page showing one red picture, with 5 s of music: the music is converted first and
    // becomes the page's sound, as production does it.
    static const ShippedTransitions transitions;
    const QImage red(app_testing::colourPicture(QStringLiteral("red")));
    ASSERT_FALSE(red.isNull());
    auto picture = std::make_shared<BackPictureItem>();
    picture->setPreviewImage4_3(red.scaled(640, 480));
    picture->setPreviewImage16_9(red.scaled(854, 480));
    auto drawer = std::make_shared<BackgroundRenderData>();
    drawer->setTransitionCatalogue(&transitions);
    drawer->setRenderName(QStringLiteral("Dissolve"));
    drawer->setEveryImageDuration(2.0);
    drawer->setEveryRenderDuration(0.5);
    drawer->setImageItemArray({picture});
    auto menu = std::make_shared<DVDMenu>();
    menu->setMenuSize(QSizeF(640, 480));
    menu->setDuration(2.0);
    menu->setMenu_drawer(drawer);
    menu->setUse_menu_drawer(true);
    const auto music = MediaData::mediaDataWithPath(app_testing::sineMusic(5.0));
    ASSERT_TRUE(music && music->movie() && music->movie()->hasAudio());
    menu->setMusic(music);
    const auto page = DVDMenuVideo::menuVideoWithMenu(menu);

    const QString musicPath = out("menu-music-temp-0.dvd");
    auto musicConverter = converterFor(page->musicVcMovies(), musicPath, dvdFormat(352, 288));
    runToEnd(*musicConverter);
    ASSERT_TRUE(musicConverter->isFinished()) << musicConverter->lastError().toStdString();
    page->setAudioMovie(clipOf(musicPath));

    const QString path = out("menu-temp-0.dvd");
    auto converter = converterFor({page}, path, dvdFormat(352, 288));
    runToEnd(*converter);
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), VCVideoConverter::PictureMode::Composed);
    EXPECT_EQ(countOf(countedStream(path, "v:0"), "nb_read_frames"), 50);
    const QJsonObject audio = countedStream(path, "a:0");
    EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
    EXPECT_NEAR(double(countOf(audio, "nb_read_frames")) * 0.032, 2.0, 0.064);
    QImage frame;
    ASSERT_TRUE(ffmpegFrameAt(path, 1.0, &frame));
    const QColor centre = frame.pixelColor(frame.width() / 2, frame.height() / 2);
    EXPECT_GT(centre.red(), 180);
    EXPECT_LT(centre.green(), 60);
    EXPECT_LT(centre.blue(), 60);
}

TEST_F(VCVideoConverterTest, APagesMovingTitlePictureIsTheTitleAsItIsWhenConverted)
{
    // A 2 s page whose one element, over the whole page, shows its title's clip moving.
    const auto red = MediaData::mediaDataWithPath(
        app_testing::ClipFixtures::shared().colour(QStringLiteral("red"), 4));
    const auto blue = MediaData::mediaDataWithPath(
        app_testing::ClipFixtures::shared().colour(QStringLiteral("blue"), 4));
    ASSERT_TRUE(red && red->movie() && blue && blue->movie());
    auto title = std::make_shared<DVDTitleData>();
    title->setMediaArray({red});
    red->setSuperData(title);
    auto slot = app_testing::makeTitleSlot(QRectF(0, 0, 640, 480));
    slot->setJump(title);
    auto menu = std::make_shared<DVDMenu>();
    menu->setMenuSize(QSizeF(640, 480));
    menu->setDuration(2.0);
    menu->setItems({slot});
    const auto page = DVDMenuVideo::menuVideoWithMenu(menu);

    // The canvas drew the page while the title was red; then the title's clip was replaced.
    ASSERT_TRUE(page->frameImageAtTime(kSecond));
    ASSERT_TRUE(title->item_segment_movie());
    blue->setSuperData(title);
    title->setMediaArray({blue});

    const QString path = out("menu-temp-0.dvd");
    auto converter = converterFor({page}, path, dvdFormat(352, 288));
    runToEnd(*converter);
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_EQ(countOf(countedStream(path, "v:0"), "nb_read_frames"), 50);
    for (const double seconds : {0.2, 0.6, 1.8}) {
        SCOPED_TRACE(seconds);
        QImage frame;
        ASSERT_TRUE(ffmpegFrameAt(path, seconds, &frame));
        const QColor centre = frame.pixelColor(frame.width() / 2, frame.height() / 2);
        EXPECT_LT(centre.red(), 60);
        EXPECT_GT(centre.blue(), 180);
    }
    EXPECT_EQ(page->currentTime(), 0) << "the page is handed back at its start";
}

TEST_F(VCVideoConverterTest, ADvdStreamAlwaysHasPicturesAndSoundForTheAuthoringTool)
{
    struct Row
    {
        const char *name;
        std::function<VCMovieRef()> clip;
        double seconds;
    };
    const Row rows[] = {
        {"a clip without sound", [] { return clipOf(MediaFixtures::shared().wide169()); }, 1.0},
        {"a clip without pictures",
         [] { return clipOf(MediaFixtures::shared().audioOnlyWav()); },
         2.0},
        {"the placeholder of an empty title",
         [] {
             auto empty = VCMovie::movieWithEmptyFFMovie();
             empty->setTrimStop(kSecond);
             return empty;
         },
         1.0},
    };
    int index = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const VCMovieRef clip = row.clip();
        ASSERT_TRUE(clip);
        const QString path = out(QStringLiteral("title%1.dvd").arg(index++));
        auto converter = converterFor({clip}, path, dvdFormat(352, 288));
        EXPECT_TRUE(converter->hasAudio());
        EXPECT_TRUE(converter->hasVideo());
        runToEnd(*converter);
        ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
        const QJsonObject video = countedStream(path, "v:0");
        EXPECT_EQ(video.value("codec_name").toString(), "mpeg2video");
        EXPECT_EQ(countOf(video, "nb_read_frames"), int64_t(row.seconds * 25));
        const QJsonObject audio = countedStream(path, "a:0");
        EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
        EXPECT_NEAR(double(countOf(audio, "nb_read_frames")) * 0.032, row.seconds, 0.064);
        const QString disc = out(QStringLiteral("disc%1").arg(index));
        ASSERT_TRUE(QDir().mkpath(disc));
        QString log;
        EXPECT_TRUE(authorOneTitle(path, disc, true, &log)) << log.toStdString();
    }
}

TEST_F(VCVideoConverterTest, AnUneditedMp4IsCopiedPacketByPacket)
{
    const QString path = out("copy.mp4");
    auto converter = std::make_shared<VCVideoConverter>();
    converter->setMovies({clipOf(m_clip)});
    converter->setPath(path);
    converter->setMovieOutputFormat(mp4Format());
    converter->updateConverterSpeedFast(true, true);
    converter->updateConverterContent();
    runToEnd(*converter);
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), VCVideoConverter::PictureMode::CopyPackets);
    const QJsonObject video = countedStream(path, "v:0");
    EXPECT_EQ(video.value("codec_name").toString(), "h264");
    EXPECT_EQ(countOf(video, "nb_read_frames"), 75);
    EXPECT_EQ(countedStream(path, "a:0").value("codec_name").toString(), "aac");
}

TEST_F(VCVideoConverterTest, AClipInUseElsewhereIsConvertedFromDecodersOfItsOwn)
{
    const auto clip = clipOf(m_clip);
    ASSERT_TRUE(clip);
    const QString alone = out("alone.dvd");
    auto reference = converterFor({clip}, alone, dvdFormat(352, 288));
    runToEnd(*reference);
    ASSERT_TRUE(reference->isFinished()) << reference->lastError().toStdString();

    // Two jobs on the same clip at once, while a preview keeps seeking the clip's movie.
    std::atomic<bool> stop{false};
    std::thread preview([&] {
        int64_t t = 0;
        while (!stop.load()) {
            clip->movie()->seek(t);
            clip->movie()->decodeImageAtTimeAction(LMFFMovie::kCurrentTime,
                                                   [](const std::shared_ptr<LMMovieImage> &) {});
            t = (t + 700000) % (3 * kSecond);
        }
    });
    const QString first = out("first.dvd");
    const QString second = out("second.dvd");
    auto a = converterFor({clip}, first, dvdFormat(352, 288));
    auto b = converterFor({clip}, second, dvdFormat(352, 288));
    a->startConvert();
    b->startConvert();
    a->waitUntilFinished();
    b->waitUntilFinished();
    stop.store(true);
    preview.join();
    ASSERT_TRUE(a->isFinished()) << a->lastError().toStdString();
    ASSERT_TRUE(b->isFinished()) << b->lastError().toStdString();

    // Every picture as the job alone made it: the worst frame's PSNR against that run.
    for (const QString &path : {first, second}) {
        SCOPED_TRACE(path.toStdString());
        QString log;
        runTool(QStringLiteral("ffmpeg"),
                {"-hide_banner", "-i", path, "-i", alone, "-lavfi", "psnr", "-f", "null", "-"},
                &log);
        const QRegularExpressionMatch worst
            = QRegularExpression(QStringLiteral("PSNR .* min:([0-9.]+|inf)")).match(log);
        ASSERT_TRUE(worst.hasMatch()) << log.toStdString();
        const double min = worst.captured(1) == u"inf" ? 1000.0 : worst.captured(1).toDouble();
        EXPECT_GT(min, 45.0);
    }
}

// --- Failures, cancel, pause -----------------------------------------------------------------

TEST_F(VCVideoConverterTest, AFailedOpenEndsFailedWithAReasonAndLeavesNoFile)
{
    QFile existing(out("taken.dvd"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    ASSERT_TRUE(QFile::link("/dev/full", out("full.dvd")));
    QFile blocker(out("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    LMFFMovieFileOutputFormat noEncoder = dvdFormat(352, 288);
    noEncoder.video_codec = 0x7fff0000;
    struct Row
    {
        const char *name;
        QString path;
        LMFFMovieFileOutputFormat format;
    };
    const Row rows[] = {
        {"a file already at the path is kept", out("taken.dvd"), dvdFormat(352, 288)},
        {"a link to /dev/full at the path", out("full.dvd"), dvdFormat(352, 288)},
        {"a folder that cannot be made", out("blocker/title.dvd"), dvdFormat(352, 288)},
        {"a video encoder that does not exist", out("nocodec.dvd"), noEncoder},
        {"a format without any stream",
         out("none.dvd"),
         [] {
             LMFFMovieFileOutputFormat f = dvdFormat(352, 288);
             f.width = 0;
             f.sample_rate = 0;
             return f;
         }()},
    };
    const QStringList before = filesIn(m_dir.path());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto converter = converterFor({clipOf(m_clip)}, row.path, row.format);
        runToEnd(*converter);
        // Finished without its file: the converter has no failed state of its own.
        EXPECT_TRUE(converter->isFailed());
        EXPECT_TRUE(converter->isFinished());
        EXPECT_EQ(converter->statusType(), VCVideoConverter::kFinished);
        EXPECT_FALSE(converter->lastError().isEmpty());
        EXPECT_LT(converter->progress(), 1.0);
        EXPECT_EQ(filesIn(m_dir.path()), before);
    }
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "keep me");
    EXPECT_EQ(QFileInfo(out("full.dvd")).symLinkTarget(), "/dev/full");
}

TEST_F(VCVideoConverterTest, AFullDiskEndsFailedAndLeavesNoPartialFile)
{
    // The file size limit makes the kernel refuse writes past 256 KiB, as a full disk would.
    const auto clip = clipOf(m_clip);
    const QString path = out("full.dvd");
    auto converter = converterFor({clip}, path, dvdFormat());
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 256 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    runToEnd(*converter);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(converter->statusType(), VCVideoConverter::kFinished);
    EXPECT_TRUE(converter->isFailed());
    EXPECT_FALSE(converter->lastError().isEmpty());
    EXPECT_TRUE(filesIn(m_dir.path()).isEmpty()) << filesIn(m_dir.path()).join(", ").toStdString();
}

std::mutex g_warningsLock;
QStringList g_warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtWarningMsg)
        return;
    std::lock_guard guard(g_warningsLock);
    g_warnings.append(message);
}

TEST_F(VCVideoConverterTest, AClipCutShortFailsTheRunNamingTheClipAndWhereReadingStopped)
{
    const QString path = app_testing::ClipFixtures::shared().cutShort();
    ASSERT_FALSE(path.isEmpty());
    struct Row
    {
        const char *name;
        bool edited;
    };
    for (const Row &row : {Row{"passed through", false}, Row{"drawn with its edits", true}}) {
        SCOPED_TRACE(row.name);
        const auto clip = clipOf(path);
        ASSERT_TRUE(clip);
        ASSERT_EQ(clip->trimDuration(), 5 * kSecond);
        if (row.edited)
            clip->movie()->setEffectName(QStringLiteral("Color Invert"));
        const QString title = out(QStringLiteral("cut-%1.dvd").arg(int(row.edited)));
        auto converter = converterFor({clip}, title, dvdFormat(352, 288));
        runToEnd(*converter);
        // The converter's way: finished without its file, and why.
        EXPECT_TRUE(converter->isFinished());
        EXPECT_TRUE(converter->isFailed());
        EXPECT_LT(converter->progress(), 1.0);
        EXPECT_FALSE(QFileInfo::exists(title));
        const QString why = converter->lastError();
        EXPECT_TRUE(why.contains("\"cut.mp4\"")) << why.toStdString();
        // The data of 60 % of the bytes ends near 3 s (the sound takes most of them).
        EXPECT_TRUE(QRegularExpression("after 00:00:0[1-3]\\.").match(why).hasMatch())
            << why.toStdString();
        EXPECT_TRUE(filesIn(m_dir.path()).isEmpty());
    }
}

TEST_F(VCVideoConverterTest, AFewDamagedPacketsAreCountedAndTheTitleIsMade)
{
    const QString path = app_testing::ClipFixtures::shared().damaged();
    ASSERT_FALSE(path.isEmpty());

    const QString title = out("damaged.dvd");
    auto converter = converterFor({clipOf(path)}, title, dvdFormat(352, 288));
    {
        std::lock_guard guard(g_warningsLock);
        g_warnings.clear();
    }
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    runToEnd(*converter);
    qInstallMessageHandler(previous);

    ASSERT_TRUE(converter->isFinished());
    EXPECT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->progress(), 1.0);
    EXPECT_NEAR(double(countOf(countedStream(title, "v:0"), "nb_read_frames")), 125.0, 1.0);
    std::lock_guard guard(g_warningsLock);
    const QRegularExpression counted(
        "damaged\\.mp4: ([0-9]+) damaged packets skipped, ([0-9]+) pictures repeated");
    QRegularExpressionMatch match;
    for (const QString &warning : g_warnings) {
        if ((match = counted.match(warning)).hasMatch())
            break;
    }
    ASSERT_TRUE(match.hasMatch()) << g_warnings.join(u'|').toStdString();
    EXPECT_GT(match.captured(1).toInt(), 0);
    EXPECT_LT(match.captured(1).toInt(), 20) << "only the damaged packets";
}

TEST_F(VCVideoConverterTest, CancelInTheSecondOfThreeSegmentsLeavesNothing)
{
    RecordingDelegate delegate;
    const auto clip = clipOf(m_clip);
    const QString path = out("cancelled.dvd");
    auto converter = converterFor(
        {pieceOf(clip, 0, 1500000), pieceOf(clip, 1500000, 1500000), pieceOf(clip, 0, 3 * kSecond)},
        path,
        dvdFormat());
    converter->setDelegate(&delegate, &delegate);
    converter->startConvert();
    while (converter->currentMovieIndex() < 2 && !converter->isEnded())
        std::this_thread::sleep_for(5ms);
    converter->cancel();
    converter->waitUntilFinished();
    EXPECT_TRUE(converter->isCanceled());
    EXPECT_EQ(converter->currentMovieIndex(), 2);
    EXPECT_LE(converter->progress(), 0.99);
    EXPECT_TRUE(filesIn(m_dir.path()).isEmpty());
    EXPECT_TRUE(spinUntil([&] { return delegate.finished > 0; }));
    // The run has ended, so any second notice is already queued: let it arrive.
    EXPECT_TRUE(spinUntilPostedCallsHaveRun());
    EXPECT_EQ(delegate.finished, 1);
    EXPECT_EQ(delegate.lastStatus, VCVideoConverter::kCancelled);
    // Once ended it stays ended.
    converter->startConvert();
    converter->cancel();
    EXPECT_TRUE(converter->isCanceled());
}

TEST_F(VCVideoConverterTest, CancelBeforeTheStartEndsAtOnce)
{
    RecordingDelegate delegate;
    const QString path = out("never.dvd");
    auto converter = converterFor({clipOf(m_clip)}, path, dvdFormat());
    converter->setDelegate(&delegate, &delegate);
    converter->cancel();
    converter->startConvert();
    ASSERT_TRUE(converter->waitUntilFinished(1000ms));
    EXPECT_TRUE(converter->isCanceled());
    EXPECT_TRUE(filesIn(m_dir.path()).isEmpty());
    EXPECT_TRUE(spinUntil([&] { return delegate.finished == 1; }));
}

TEST_F(VCVideoConverterTest, APausedRunStandsStillAndResumesWhereItStopped)
{
    RecordingDelegate delegate;
    const QString path = out("paused.dvd");
    auto converter = converterFor({clipOf(m_clip)}, path, dvdFormat(352, 288));
    converter->setDelegate(&delegate, &delegate);
    converter->startConvert();
    while (converter->progress() < 0.1 && !converter->isEnded())
        std::this_thread::sleep_for(2ms);
    converter->pause();
    EXPECT_TRUE(converter->isPaused());
    EXPECT_TRUE(converter->isExecuting());
    EXPECT_FALSE(converter->isRunning());
    std::this_thread::sleep_for(150ms);
    const double held = converter->progress();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(converter->progress(), held);
    EXPECT_FALSE(converter->isEnded());
    converter->resume();
    converter->waitUntilFinished();
    ASSERT_TRUE(converter->isFinished()) << converter->lastError().toStdString();
    EXPECT_EQ(countOf(countedStream(path, "v:0"), "nb_read_frames"), 75);
    EXPECT_TRUE(spinUntil([&] { return delegate.finished == 1; }));
    EXPECT_EQ(delegate.paused, 1);
    EXPECT_EQ(delegate.resumed, 1);
}

} // namespace
