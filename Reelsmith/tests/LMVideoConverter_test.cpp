#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/convert/LMConvertStatus.h"
#include "Reelsmith/convert/LMVideoConverter.h"
#include "Reelsmith/convert/LMVideoConverterDelegate.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "testsupport/AudioFixtures.h"
#include "testsupport/MediaFixtures.h"
#include "testsupport/ProbeFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

extern "C" {
#include <libavutil/channel_layout.h>
}

using namespace fixtures;

namespace {

constexpr int64_t kSecond = 1000000;

LMFFMovieFileOutputFormat dvdFormat()
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = 720;
    format.height = 576;
    format.video_codec = lm_get_codec_id_by_name("mpeg2");
    format.video_bitrate = 6000000;
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
    format.video_codec = lm_get_codec_id_by_name("h264");
    format.video_bitrate = 1000000;
    format.audio_codec = lm_get_codec_id_by_name("aac");
    return format;
}

std::shared_ptr<LMVideoConverter> converterFor(const QList<std::shared_ptr<LMSegmentMovie>> &movies,
                                               const QString &path,
                                               const LMFFMovieFileOutputFormat &format)
{
    auto converter = std::make_shared<LMVideoConverter>();
    converter->setMovies(movies);
    converter->setPath(path);
    converter->setMovieOutputFormat(format);
    return converter;
}

// Runs the job to its end, checking on the way that progress stays below 1.
void runToEnd(LMVideoConverter &converter)
{
    converter.startConvert();
    while (!converter.isEnded()) {
        // The run may end between the check and the sample; a finished run reads 1.
        const double progress = converter.progress();
        if (!converter.isEnded()) {
            EXPECT_LE(progress, 0.99);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    converter.waitUntilFinished();
}

// The MD5 of every packet of the first stream of that kind ("v" or "a"), and its timestamps.
struct PacketList
{
    QStringList hashes;
    QList<qint64> pts;
    QList<qint64> dts;
};

PacketList packetsOf(const QString &path, const char *kind)
{
    PacketList list;
    const QJsonObject probe = ffprobeJson(path,
                                          {"-select_streams",
                                           QStringLiteral("%1:0").arg(kind),
                                           "-show_packets",
                                           "-show_data_hash",
                                           "MD5"});
    for (const auto &value : probe.value("packets").toArray()) {
        const QJsonObject packet = value.toObject();
        list.hashes.append(packet.value("data_hash").toString());
        list.pts.append(packet.value("pts").toVariant().toLongLong());
        list.dts.append(packet.value("dts").toVariant().toLongLong());
    }
    return list;
}

// The picture at seconds of a written file, as the ffmpeg program decodes it (RGBA8888).
QImage frameOf(const QString &path, double seconds)
{
    const QString png = path + QStringLiteral(".frame.png");
    QString log;
    if (runTool(QStringLiteral("ffmpeg"),
                {"-v",
                 "error",
                 "-y",
                 "-i",
                 path,
                 "-ss",
                 QString::number(seconds, 'f', 3),
                 "-frames:v",
                 "1",
                 png},
                &log)
        != 0) {
        ADD_FAILURE() << log.toStdString();
        return {};
    }
    return QImage(png).convertToFormat(QImage::Format_RGBA8888);
}

// Mean absolute difference per channel (0-255) of two pictures of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    if (a.isNull() || a.size() != b.size())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar *p = a.constScanLine(y);
        const uchar *q = b.constScanLine(y);
        for (int x = 0; x < a.width() * 4; ++x)
            if (x % 4 != 3)
                sum += std::abs(int(p[x]) - int(q[x]));
    }
    return sum / (double(a.width()) * a.height() * 3);
}

// Mean distance of each pixel's channels from their own mean: 0 for a grey picture.
double meanColourfulness(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *p = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            const double mean = (p[0] + p[1] + p[2]) / 3.0;
            sum += std::abs(p[0] - mean) + std::abs(p[1] - mean) + std::abs(p[2] - mean);
        }
    }
    return sum / std::max<double>(1, double(image.width()) * image.height());
}

class VideoConverter : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file(const QString &name) const { return dir.filePath(name); }
    static std::shared_ptr<LMSegmentMovie> clip(int seconds = 3)
    {
        const QString path = MediaFixtures::shared().h264AacMp4(seconds);
        EXPECT_FALSE(path.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
        return LMSegmentMovie::movieWithPath(path);
    }
};

TEST_F(VideoConverter, UneditedClipBecomesADvdTitle)
{
    auto segment = clip();
    ASSERT_TRUE(segment);
    const QString path = file("title0.dvd");
    auto converter = converterFor({segment}, path, dvdFormat());
    EXPECT_EQ(converter->statusType(), LMConvertStatus::kReady);
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->statusType(), LMConvertStatus::kFinished);
    EXPECT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::PassThrough);
    EXPECT_DOUBLE_EQ(converter->progress(), 1.0);

    const QJsonObject probe = ffprobeStreamsAndFormat(path);
    const QJsonObject video = firstStreamOfType(probe, "video");
    EXPECT_EQ(video.value("codec_name").toString(), "mpeg2video");
    EXPECT_EQ(video.value("width").toInt(), 720);
    EXPECT_EQ(video.value("display_aspect_ratio").toString(), "16:9");
    const QJsonObject audio = firstStreamOfType(probe, "audio");
    EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
    EXPECT_EQ(ffprobePictureTypes(path).size(), 75);
    EXPECT_NEAR(probe.value("format").toObject().value("duration").toString().toDouble(), 3.0, 0.1);
}

TEST_F(VideoConverter, CopiesBothStreamsOfAnUneditedClip)
{
    auto segment = clip();
    ASSERT_TRUE(segment);
    const QString source = MediaFixtures::shared().h264AacMp4(3);
    const QString path = file("copy.mp4");
    auto converter = converterFor({segment}, path, mp4Format());
    converter->updateConverterSpeedFast(true, true);
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::CopyPackets);
    EXPECT_TRUE(converter->skipDecodeAudio());

    for (const char *kind : {"v", "a"}) {
        SCOPED_TRACE(kind);
        const PacketList in = packetsOf(source, kind);
        const PacketList out = packetsOf(path, kind);
        ASSERT_FALSE(in.hashes.isEmpty());
        ASSERT_EQ(out.hashes.size(), in.hashes.size());
        for (int i = 0; i < in.hashes.size(); ++i)
            ASSERT_EQ(out.hashes[i], in.hashes[i]) << "packet " << i;
        for (int i = 1; i < out.dts.size(); ++i)
            EXPECT_GT(out.dts[i], out.dts[i - 1]) << "packet " << i;
    }
    const PacketList video = packetsOf(path, "v");
    ASSERT_FALSE(video.pts.isEmpty());
    EXPECT_EQ(video.pts.first(), 0);
    EXPECT_EQ(video.dts.first(), 0);
}

TEST_F(VideoConverter, RefusesCopiesItCannotKeep)
{
    struct Row
    {
        const char *name;
        bool twoMovies;
        int64_t layout;
        bool video;
        bool audio;
    };
    const Row rows[] = {
        {"two movie objects", true, AV_CH_LAYOUT_STEREO, false, false},
        {"a 5.1 output layout", false, AV_CH_LAYOUT_5POINT1, true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto first = clip(1);
        QList<std::shared_ptr<LMSegmentMovie>> movies{first};
        if (row.twoMovies)
            movies.append(clip(1));
        LMFFMovieFileOutputFormat format = mp4Format();
        format.channel_layout = row.layout;
        auto converter = converterFor(movies, file("refused.mp4"), format);
        converter->updateConverterSpeedFast(true, true);
        runToEnd(*converter);
        ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
        EXPECT_EQ(converter->skipDecodeImage(), row.video);
        EXPECT_EQ(converter->skipDecodeAudio(), row.audio);
        const QJsonObject audio
            = firstStreamOfType(ffprobeStreamsAndFormat(file("refused.mp4")), "audio");
        EXPECT_EQ(audio.value("channels").toInt(), lm_get_channel_layout_nb_channels(row.layout));
    }
}

TEST_F(VideoConverter, SilentSourceStillGetsDvdSound)
{
    const QString silent = file("silent.mp4");
    QString error;
    ASSERT_TRUE(runFfmpeg(
        {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=1", "-c:v", "libx264", silent},
        silent,
        &error))
        << error.toStdString();
    auto segment = LMSegmentMovie::movieWithPath(silent);
    ASSERT_TRUE(segment);
    ASSERT_FALSE(segment->ffmovie()->hasAudio());
    const QString path = file("silent.dvd");
    auto converter = converterFor({segment}, path, dvdFormat());
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    const QJsonObject audio = firstStreamOfType(ffprobeStreamsAndFormat(path), "audio");
    EXPECT_EQ(audio.value("codec_name").toString(), "ac3");
}

TEST_F(VideoConverter, CancelLeavesNoFile)
{
    auto segment = clip(10);
    ASSERT_TRUE(segment);
    const QString path = file("cancelled.dvd");
    auto converter = converterFor({segment}, path, dvdFormat());
    converter->startConvert();
    while (converter->progress() < 0.05 && !converter->isFinished())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    converter->cancel();
    converter->waitUntilFinished();
    // In the bit set every converter shares, a cancelled job is cancelled, not finished: an owner
    // polling isFinished must not take it for a result.
    EXPECT_TRUE(converter->isCanceled());
    EXPECT_FALSE(converter->isFinished());
    EXPECT_TRUE(converter->isEnded());
    EXPECT_EQ(converter->statusType(), LMConvertStatus::kCancelled);
    // A cancel after the end changes nothing.
    converter->cancel();
    EXPECT_EQ(converter->statusType(), LMConvertStatus::kCancelled);
    EXPECT_LE(converter->progress(), 0.99);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(VideoConverter, OutputThatCannotBeWrittenIsAFailure)
{
    auto segment = clip(1);
    ASSERT_TRUE(segment);
    struct Row
    {
        const char *name;
        QString path;
    };
    QList<Row> rows{{"no such folder", file("missing/title.dvd")}};
    if (QFileInfo::exists("/dev/full")) {
        ASSERT_TRUE(QFile::link("/dev/full", file("full.dvd")));
        rows.append({"a full disk", file("full.dvd")});
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto converter = converterFor({segment}, row.path, dvdFormat());
        runToEnd(*converter);
        EXPECT_TRUE(converter->isFailed());
        EXPECT_EQ(converter->statusType(), LMConvertStatus::kFinished) << "without its file";
        EXPECT_FALSE(converter->lastError().isEmpty());
        EXPECT_LT(converter->progress(), 1.0);
        EXPECT_FALSE(QFileInfo(row.path).exists() || QFileInfo(row.path).isSymLink());
    }
}

TEST_F(VideoConverter, ComposedPicturesStayWithinThePool)
{
    auto segment = clip();
    ASSERT_TRUE(segment);
    // A crop is an edit: every frame is composed on the decode queue while the encoder writes.
    segment->ffmovie()->setCropRect(QRectF(0, 0, 160, 120));
    const QString path = file("cropped.dvd");
    auto converter = converterFor({segment}, path, dvdFormat());
    ASSERT_FALSE(converter->isNoneEditWithMovie(*segment));
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::Composed);
    EXPECT_LE(converter->maxPendingPictures(), converter->pool_cache_count());
    EXPECT_EQ(ffprobePictureTypes(path).size(), 75);
}

// A composed frame is the edited picture: a crop to the left half, not the whole frame.
TEST_F(VideoConverter, ComposedFramesShowTheCroppedPicture)
{
    auto segment = clip();
    ASSERT_TRUE(segment);
    segment->ffmovie()->setCropRect(QRectF(0, 0, 160, 240));
    const QString path = file("left-half.mp4");
    auto converter = converterFor({segment}, path, mp4Format());
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    ASSERT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::Composed);

    QImage source;
    ASSERT_TRUE(ffmpegFrameAt(MediaFixtures::shared().h264AacMp4(3), 2.0, &source));
    const QImage written = frameOf(path, 2.0);
    ASSERT_EQ(written.size(), QSize(320, 240));
    // The crop keeps its aspect: the left half, centred between black bars.
    QImage leftHalf(320, 240, QImage::Format_RGBA8888);
    leftHalf.fill(Qt::black);
    {
        QPainter painter(&leftHalf);
        painter.drawImage(QPoint(80, 0), source.copy(0, 0, 160, 240));
    }
    const double toCrop = meanDifference(written, leftHalf);
    const double toWhole = meanDifference(written, source);
    EXPECT_LT(toCrop, 12.0);
    EXPECT_LT(toCrop * 2, toWhole);
}

// Any edit the frame image would apply makes a clip edited; values within 0.001 of neutral do not.
TEST_F(VideoConverter, EveryPictureEditCountsAsAnEdit)
{
    struct Row
    {
        const char *name;
        std::function<void(LMFFMovie &)> edit;
        bool unedited;
    };
    const std::vector<Row> rows = {
        {"nothing", [](LMFFMovie &) {}, true},
        {"saturation", [](LMFFMovie &m) { m.setSaturation(0.6f); }, false},
        {"brightness", [](LMFFMovie &m) { m.setBrightness(0.4f); }, false},
        {"contrast", [](LMFFMovie &m) { m.setContrast(0.3f); }, false},
        {"hue", [](LMFFMovie &m) { m.setHue(0.52f); }, false},
        {"sharpness", [](LMFFMovie &m) { m.setSharpness(0.7f); }, false},
        {"colour within 0.001",
         [](LMFFMovie &m) {
             m.setSaturation(0.5005f);
             m.setBrightness(0.4995f);
             m.setContrast(0.2505f);
             m.setHue(0.5005f);
             m.setSharpness(0.5005f);
         },
         true},
        {"effect", [](LMFFMovie &m) { m.setEffectName(QStringLiteral("Black White")); }, false},
        {"rotation", [](LMFFMovie &m) { m.setRotate(90); }, false},
        {"hflip", [](LMFFMovie &m) { m.setHflip(true); }, false},
        {"vflip", [](LMFFMovie &m) { m.setVflip(true); }, false},
        {"watermark",
         [](LMFFMovie &m) {
             QImage mark(16, 16, QImage::Format_RGBA8888);
             mark.fill(Qt::white);
             m.setWatermark(Reelsmith::imaging::Image::fromQImage(mark));
         },
         false},
        {"crop", [](LMFFMovie &m) { m.setCropRect(QRectF(0, 0, 160, 120)); }, false},
        {"letterboxing zoom",
         [](LMFFMovie &m) { m.setZoomType(LMSegmentMovie::kZoom16x9); },
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto segment = clip(1);
        ASSERT_TRUE(segment);
        row.edit(*segment->ffmovie());
        auto converter = converterFor({segment}, file("unused.mp4"), mp4Format());
        EXPECT_EQ(converter->isNoneEditWithMovie(*segment), row.unedited);
    }
}

// A flipped clip cannot be copied: its pictures are composed and encoded, and its sound with them.
TEST_F(VideoConverter, FlippedClipEncodesBothStreams)
{
    auto segment = clip();
    ASSERT_TRUE(segment);
    segment->ffmovie()->setVflip(true);
    const QString path = file("flipped.mp4");
    auto converter = converterFor({segment}, path, mp4Format());
    converter->updateConverterSpeedFast(true, true);
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::Composed);
    EXPECT_FALSE(converter->skipDecodeImage());
    EXPECT_FALSE(converter->skipDecodeAudio());
    const QString source = MediaFixtures::shared().h264AacMp4(3);
    for (const char *kind : {"v", "a"}) {
        SCOPED_TRACE(kind);
        const PacketList in = packetsOf(source, kind);
        const PacketList out = packetsOf(path, kind);
        ASSERT_FALSE(out.hashes.isEmpty());
        EXPECT_NE(out.hashes.first(), in.hashes.first());
    }
    QImage upright;
    ASSERT_TRUE(ffmpegFrameAt(source, 2.0, &upright));
    const QImage flipped = upright.mirrored(false, true);
    const QImage written = frameOf(path, 2.0);
    EXPECT_LT(meanDifference(written, flipped) * 2, meanDifference(written, upright));
}

// A clip whose only edit is an effect is written with it.
TEST_F(VideoConverter, EffectOnlyClipIsWrittenWithTheEffect)
{
    auto segment = clip();
    ASSERT_TRUE(segment);
    segment->ffmovie()->setEffectName(QStringLiteral("Black White"));
    const QString path = file("grey.dvd");
    auto converter = converterFor({segment}, path, dvdFormat());
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::Composed);
    QImage source;
    ASSERT_TRUE(ffmpegFrameAt(MediaFixtures::shared().h264AacMp4(3), 2.0, &source));
    ASSERT_GT(meanColourfulness(source), 30.0);
    EXPECT_LT(meanColourfulness(frameOf(path, 2.0)), 6.0);
}

// A clip filmed turned is written upright, as players show it, not stretched into the turned frame.
TEST_F(VideoConverter, TurnedClipIsWrittenUpright)
{
    const QString source = MediaFixtures::shared().rotatedMp4(90);
    ASSERT_FALSE(source.isEmpty()) << MediaFixtures::shared().lastError().toStdString();
    auto segment = LMSegmentMovie::movieWithPath(source);
    ASSERT_TRUE(segment);
    LMFFMovieFileOutputFormat format = mp4Format();
    format.width = 120;
    format.height = 160;
    const QString path = file("upright.mp4");
    auto converter = converterFor({segment}, path, format);
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->lastPictureMode(), LMVideoConverter::PictureMode::Composed);

    QImage upright; // the ffmpeg program turns the picture as its display matrix says
    ASSERT_TRUE(ffmpegFrameAt(source, 0.5, &upright));
    ASSERT_EQ(upright.size(), QSize(120, 160));
    const QImage written = frameOf(path, 0.5);
    EXPECT_LT(meanDifference(written, upright) * 2,
              meanDifference(written, upright.mirrored(true, true)));
}

TEST_F(VideoConverter, TrimmedSegmentsWithFadesAreJoined)
{
    auto first = clip();
    ASSERT_TRUE(first);
    first->setStart(kSecond);
    first->setStop(2 * kSecond);
    first->setFadeIn(kSecond / 2);
    auto second = LMSegmentMovie::movieWithFFmovie(first->ffmovie());
    second->setStart(2 * kSecond);
    second->setStop(3 * kSecond);
    auto empty = LMSegmentMovie::movieWithFFmovie(first->ffmovie());
    empty->setStart(kSecond);
    empty->setStop(kSecond);
    const QString path = file("joined.dvd");
    auto converter = converterFor({first, empty, second}, path, dvdFormat());
    runToEnd(*converter);
    ASSERT_FALSE(converter->isFailed()) << converter->lastError().toStdString();
    EXPECT_EQ(converter->duration(), 2 * kSecond);
    EXPECT_EQ(converter->currentMovieIndex(), 2); // the empty segment is skipped
    EXPECT_EQ(ffprobePictureTypes(path).size(), 50);
}

// Records which messages arrived and on which thread.
class RecordingDelegate : public LMVideoConverterDelegate
{
public:
    void converterDidFinished(LMVideoConverter *) override { record("finished"); }
    void converterDidPaused(LMVideoConverter *) override { record("paused"); }
    void converterDidResume(LMVideoConverter *) override { record("resume"); }
    QStringList messages;
    bool offThread = false;

private:
    void record(const char *message)
    {
        messages.append(message);
        offThread = offThread || QThread::currentThread() != QCoreApplication::instance()->thread();
    }
};

TEST_F(VideoConverter, DelegateHearsOnTheReceiversThread)
{
    int argc = 1;
    char name[] = "test";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QObject receiver;
    RecordingDelegate delegate;
    auto converter = converterFor({clip(1)}, file("told.dvd"), dvdFormat());
    converter->setDelegate(&delegate, &receiver);
    converter->startConvert();
    converter->pause();
    converter->resume();
    QElapsedTimer timer;
    timer.start();
    while (!delegate.messages.contains("finished") && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    converter->waitUntilFinished();
    EXPECT_EQ(delegate.messages, (QStringList{"paused", "resume", "finished"}));
    EXPECT_FALSE(delegate.offThread);
    EXPECT_FALSE(converter->isFailed());
}

TEST(VideoConverterAudio, FadeInStartsSilentAndEndsFull)
{
    auto segment = LMSegmentMovie::movieWithPath(MediaFixtures::shared().sine10s());
    ASSERT_TRUE(segment);
    LMFFMovie &movie = *segment->ffmovie();
    movie.setExportMovie(true);
    movie.setCurrentTime(0);
    std::vector<float> block(2048);
    const int64_t total = 10 * 44100;
    const int64_t fadeIn = 2 * 44100;
    std::vector<double> peaks;
    movie.decodeImageWaitUntilDone(
        [&] {
            for (int64_t read = 0; read < 3 * 44100; read += 1024) {
                ASSERT_TRUE(
                    LMVideoConverter::readMovie(movie, block.data(), 1024, read, total, fadeIn, 0));
                double peak = 0;
                for (float s : block)
                    peak = std::max(peak, double(std::fabs(s)));
                peaks.push_back(peak);
            }
        },
        true);
    ASSERT_GT(peaks.size(), 90u);
    EXPECT_EQ(peaks[0], 0.0);
    EXPECT_NEAR(peaks[43], 0.5 * 43 * 1024 / double(fadeIn), 0.02); // half way up the ramp
    EXPECT_NEAR(peaks[88], 0.5, 0.01);                              // past 88200 samples: full
}

} // namespace
