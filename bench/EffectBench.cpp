// Speed of the frame composition beside the ffmpeg program.
//
// A 1280x720 RGBA picture is cropped, fitted into 720x576 (bars above and below) and mirrored,
// then given colour controls, then text and a watermark, then each catalogue effect, and drawn
// into an encoder-size bitmap, on one thread and on all cores. The reference is the ffmpeg
// program's `-vf crop,scale,pad,eq,hflip` on the same raw RGBA frames at -filter_threads 1 and at
// its default; for the text and watermark row it also draws the same two lines (drawtext) and lays
// the same picture over them (overlay).
//
// Quality is the PSNR (dB) of each row's first picture against an ideal no side makes: the crop
// resampled at 4x with lanczos, then area-averaged down to the fitted size, given that row's own
// colour, text and watermark by the side measured (so only the resampling is scored).
//
// On one thread the frames per second are over processor time (ours: the drawing thread's; the
// program's: its whole process), so a shared machine does not tilt the ratio; on all cores they
// are over the clock.
//
//     discwright-effect-bench [frames] [only rows whose name holds this]

#include "Reelsmith/effects/EffectManager.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/imaging/Image.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sys/resource.h>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

constexpr int kWidth = 1280, kHeight = 720, kFrames = 20;
constexpr int kOutWidth = 720, kOutHeight = 576;
// The crop in the program's terms (from the top) and ours (y up).
constexpr int kCropX = 40, kCropTop = 20, kCropW = 1200, kCropH = 680;
constexpr int kRuns = 3;
constexpr int kBar = 84; // the bars above and below the fitted 720x408
const QString kGeometry = QStringLiteral("crop=%1:%2:%3:%4,scale=720:408,pad=720:576:0:84")
                              .arg(kCropW)
                              .arg(kCropH)
                              .arg(kCropX)
                              .arg(kCropTop);

bool runFfmpeg(const QStringList &args, QString *error)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{"-hide_banner", "-loglevel", "error"} + args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = QString::fromLocal8Bit(process.readAllStandardError()).right(2000);
        return false;
    }
    return true;
}

QString rawInput(QString *error)
{
    const QString dir = QStringLiteral(DW_BINARY_DIR "/bench");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/rgba_1280x720_20.raw");
    if (QFileInfo(path).size() == qint64(kWidth) * kHeight * 4 * kFrames)
        return path;
    if (!runFfmpeg({"-y",
                    "-f",
                    "lavfi",
                    "-i",
                    QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kWidth).arg(kHeight),
                    "-frames:v",
                    QString::number(kFrames),
                    "-pix_fmt",
                    "rgba",
                    "-f",
                    "rawvideo",
                    path},
                   error))
        return QString();
    return path;
}

QStringList rawInputArgs(const QString &path, int loops)
{
    return {"-f",
            "rawvideo",
            "-pix_fmt",
            "rgba",
            "-s",
            QStringLiteral("%1x%2").arg(kWidth).arg(kHeight),
            "-stream_loop",
            QString::number(loops - 1),
            "-i",
            path};
}

// The filters a row adds after the geometry: its colour, text and watermark, in the program's
// terms. The watermark comes in by the movie source, so one -vf holds the whole graph.
struct ReferenceRow
{
    bool text = false;
};

QString textFile()
{
    const QString path = QStringLiteral(DW_BINARY_DIR "/bench/subtitle.txt");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("A subtitle of two lines\nover the picture");
    return path;
}

// The watermark picture of the text row: 160x60 white at half cover, its top 16 rows down.
QString watermarkFile(QString *error)
{
    const QString path = QStringLiteral(DW_BINARY_DIR "/bench/watermark.png");
    if (QFileInfo::exists(path))
        return path;
    if (!runFfmpeg({"-y",
                    "-f",
                    "lavfi",
                    "-i",
                    "color=c=white@0.5:s=160x60,format=rgba",
                    "-frames:v",
                    "1",
                    path},
                   error))
        return QString();
    return path;
}

// The row's filters after the geometry ("eq" always, the text row's drawtext and overlay too).
QString postFilters(const ReferenceRow &row, const QString &watermark)
{
    QString chain = QStringLiteral("eq=saturation=1.2:brightness=0.1:contrast=1.2");
    if (row.text)
        chain = QStringLiteral("movie=%1[mark];[in]%2,drawtext=fontfile=/usr/share/fonts/truetype/"
                               "dejavu/DejaVuSans.ttf:textfile=%3:fontsize=36:fontcolor=white:"
                               "x=(w-text_w)/2:y=h-46-text_h[text];[text][mark]overlay=540:16")
                    .arg(watermark, chain, textFile());
    return chain;
}

QString referenceGraph(const ReferenceRow &row, const QString &watermark, bool geometry)
{
    const QString post = postFilters(row, watermark);
    if (!geometry)
        return post;
    const QString head = kGeometry + QStringLiteral(",hflip");
    if (!row.text)
        return head + QLatin1Char(',') + post;
    // "[in]" opens the chain after the movie source: the geometry goes in front of it there.
    QString graph = post;
    return graph.replace(QStringLiteral("[in]"), QStringLiteral("[in]") + head + QLatin1Char(','));
}

// On one thread both sides are timed by the processor time they used, not the clock: the machine
// may be shared, and a side that waits for a core would otherwise pay for the other programs.
double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Frames per second of the program's pipeline over frames frames (processor time on one
// thread); -1 when it fails.
double referenceFps(const QString &path,
                    const ReferenceRow &row,
                    const QString &watermark,
                    int frames,
                    int threads,
                    QString *error)
{
    QStringList args = rawInputArgs(path, (frames + kFrames - 1) / kFrames);
    if (threads > 0)
        args << "-filter_threads" << QString::number(threads);
    args << "-vf" << referenceGraph(row, watermark, true) << "-frames:v" << QString::number(frames)
         << "-f"
         << "null"
         << "-";
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = childCpuSeconds();
    if (!runFfmpeg(args, error))
        return -1;
    if (threads == 1)
        return frames / (childCpuSeconds() - cpuBefore);
    return frames / (double(timer.nsecsElapsed()) / 1e9);
}

QImage readRgba(const QString &file, int width, int height)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    if (bytes.size() != width * height * 4)
        return {};
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int row = 0; row < height; ++row)
        std::memcpy(
            image.scanLine(row), bytes.constData() + qsizetype(row) * width * 4, size_t(width) * 4);
    return image;
}

// The program's first picture of the input (width x height RGBA) through -vf graph, as RGBA.
QImage programPicture(
    const QStringList &input, const QString &graph, int width, int height, QString *error)
{
    const QString out = QStringLiteral(DW_BINARY_DIR "/bench/reference.rgba");
    QStringList args = input;
    args << "-vf" << graph << "-frames:v"
         << "1"
         << "-pix_fmt"
         << "rgba"
         << "-f"
         << "rawvideo"
         << "-y" << out;
    if (!runFfmpeg(args, error))
        return {};
    return readRgba(out, width, height);
}

// The ideal fitted, mirrored crop: resampled at 4x with lanczos, then area-averaged down.
QImage idealPicture(const QString &path, QString *error)
{
    const QString graph
        = QStringLiteral("crop=%1:%2:%3:%4,scale=2880:1632:flags=lanczos+accurate_rnd+full_chroma_"
                         "int,scale=720:408:flags=area+accurate_rnd+full_chroma_int,pad=720:576:0:"
                         "84,hflip")
              .arg(kCropW)
              .arg(kCropH)
              .arg(kCropX)
              .arg(kCropTop);
    return programPicture(rawInputArgs(path, 1), graph, kOutWidth, kOutHeight, error);
}

QString writeRgba(const QImage &image, const QString &name)
{
    const QString path = QStringLiteral(DW_BINARY_DIR "/bench/") + name;
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    for (int row = 0; row < rgba.height(); ++row)
        file.write(reinterpret_cast<const char *>(rgba.constScanLine(row)), rgba.width() * 4);
    return path;
}

double psnr(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 0;
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uint8_t *p = x.constScanLine(row), *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i) {
            if (i % 4 == 3)
                continue;
            const double d = double(p[i]) - q[i];
            sum += d * d;
        }
    }
    const double mse = sum / (double(x.width()) * x.height() * 3);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::shared_ptr<LMMovieImage> makeImage(const uint8_t *bytes, int width, int height)
{
    AVFrame *frame = av_frame_alloc();
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_RGBA;
    av_frame_get_buffer(frame, 32);
    for (int row = 0; row < height; ++row)
        std::memcpy(frame->data[0] + row * frame->linesize[0],
                    bytes + qsizetype(row) * width * 4,
                    size_t(width) * 4);
    auto owner = LMFFImage::imageWithFrameOwned(frame, true);
    auto image = std::make_shared<LMMovieImage>();
    image->cache_frame_image_from_ffimage(*owner);
    image->setOriginSize(QSizeF(width, height));
    return image;
}

std::vector<std::shared_ptr<LMMovieImage>> loadFrames(const QString &path)
{
    std::vector<std::shared_ptr<LMMovieImage>> images;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return images;
    for (int i = 0; i < kFrames; ++i) {
        const QByteArray bytes = file.read(qint64(kWidth) * kHeight * 4);
        if (bytes.size() != kWidth * kHeight * 4)
            break;
        auto image
            = makeImage(reinterpret_cast<const uint8_t *>(bytes.constData()), kWidth, kHeight);
        image->setCropRect(QRectF(kCropX, kHeight - kCropTop - kCropH, kCropW, kCropH));
        image->setOutputSize(QSizeF(kOutWidth, kOutHeight));
        image->setZoomType(2);
        image->setHflip(true);
        images.push_back(std::move(image));
    }
    return images;
}

// The ideal picture as a frame of its own: no scale, no flip, so drawing it resamples nothing
// and only the row's colour, text and watermark are added.
std::shared_ptr<LMMovieImage> idealImage(const QImage &ideal)
{
    const QImage rgba = ideal.convertToFormat(QImage::Format_RGBA8888);
    std::vector<uint8_t> bytes(size_t(kOutWidth) * kOutHeight * 4);
    for (int row = 0; row < kOutHeight; ++row)
        std::memcpy(&bytes[size_t(row) * kOutWidth * 4], rgba.constScanLine(row), kOutWidth * 4);
    auto image = makeImage(bytes.data(), kOutWidth, kOutHeight);
    // The picture between the bars, fitted back where it was (a unit scale): the bars stay out
    // of the filters, as they do for the frames.
    image->setCropRect(QRectF(0, kBar, kOutWidth, kOutHeight - 2 * kBar));
    image->setOutputSize(QSizeF(kOutWidth, kOutHeight));
    image->setZoomType(2);
    return image;
}

// Frames per second drawing frames frames on threads threads (processor time on one thread, the
// clock otherwise; wallOnOne: the clock on one thread too).
double oursFps(const std::vector<std::shared_ptr<LMMovieImage>> &images,
               int frames,
               int threads,
               bool wallOnOne = false)
{
    LMBitmapImage bitmap(QSizeF(kOutWidth, kOutHeight));
    images[0]->drawToBitmapImage(bitmap, threads); // warm the caches (the subtitle's too)
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = threadCpuSeconds();
    for (int i = 0; i < frames; ++i)
        images[size_t(i) % images.size()]->drawToBitmapImage(bitmap, threads);
    if (threads == 1 && !wallOnOne) // drawn on this thread alone
        return frames / (threadCpuSeconds() - cpuBefore);
    return frames / (double(timer.nsecsElapsed()) / 1e9);
}

QImage drawn(const LMMovieImage &image)
{
    LMBitmapImage bitmap(QSizeF(kOutWidth, kOutHeight));
    image.drawToBitmapImage(bitmap, 1);
    return bitmap.getCGImageRef().copy();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(20, atoi(argv[1])) : 200;
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QString error;
    const QString path = rawInput(&error);
    const QString watermarkPath = path.isEmpty() ? QString() : watermarkFile(&error);
    if (path.isEmpty() || watermarkPath.isEmpty()) {
        std::fprintf(stderr, "cannot make the benchmark frames: %s\n", qPrintable(error));
        return 1;
    }
    auto images = loadFrames(path);
    if (images.empty()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const int cores = std::max(1, QThread::idealThreadCount());
    const QImage ideal = idealPicture(path, &error);
    if (ideal.isNull()) {
        std::fprintf(stderr, "the ffmpeg program failed: %s\n", qPrintable(error));
        return 1;
    }
    const QString idealPath = writeRgba(ideal, QStringLiteral("ideal.rgba"));
    const QStringList idealInput{"-f",
                                 "rawvideo",
                                 "-pix_fmt",
                                 "rgba",
                                 "-s",
                                 QStringLiteral("%1x%2").arg(kOutWidth).arg(kOutHeight),
                                 "-i",
                                 idealPath};
    auto idealFrame = idealImage(ideal);
    QStringList summary;

    // name, the reference's filters, our settings (for the frames and the ideal alike).
    auto report = [&](const QString &name,
                      const ReferenceRow &row,
                      int framesHere,
                      bool withQuality,
                      const std::function<void(LMMovieImage &)> &configure) -> bool {
        if (!only.isEmpty() && !name.contains(only))
            return true;
        std::vector<std::shared_ptr<LMMovieImage>> all = images;
        all.push_back(idealFrame);
        for (auto &image : all) {
            image->setSaturation(0.5f);
            image->setBrightness(0.5f);
            image->setContrast(0.25f);
            image->setEffectName(QString());
            image->setWatermark({});
            image->setSubtitleCurrentString(QString());
            image->clearSubtitleCache();
            configure(*image);
        }
        QString quality;
        if (withQuality) {
            const QImage theirs = programPicture(rawInputArgs(path, 1),
                                                 referenceGraph(row, watermarkPath, true),
                                                 kOutWidth,
                                                 kOutHeight,
                                                 &error);
            const QImage theirIdeal = programPicture(idealInput,
                                                     referenceGraph(row, watermarkPath, false),
                                                     kOutWidth,
                                                     kOutHeight,
                                                     &error);
            if (theirs.isNull() || theirIdeal.isNull()) {
                std::fprintf(stderr, "the ffmpeg program failed: %s\n", qPrintable(error));
                return false;
            }
            quality = QStringLiteral(", quality %1 vs %2 dB")
                          .arg(psnr(drawn(*images[0]), drawn(*idealFrame)), 0, 'f', 2)
                          .arg(psnr(theirs, theirIdeal), 0, 'f', 2);
        }
        double oursOne = 0;
        for (int k = 0; k < 2; ++k) {
            // The best of three runs a side: the other programs on a shared machine only ever
            // slow a run down.
            double reference = 0, ours = 0;
            for (int run = 0; run < kRuns; ++run) {
                const double once
                    = referenceFps(path, row, watermarkPath, framesHere, k == 0 ? 1 : 0, &error);
                if (once <= 0) {
                    std::fprintf(stderr, "the ffmpeg program failed: %s\n", qPrintable(error));
                    return false;
                }
                reference = std::max(reference, once);
                // All cores as the product asks for them (0: the renderer's default).
                ours = std::max(ours, oursFps(images, framesHere, k == 0 ? 1 : 0));
            }
            if (k == 0)
                oursOne = ours;
            const QString threads = k == 0 ? QStringLiteral("@1 thread")
                                           : QStringLiteral("@all cores (%1)").arg(cores);
            const QString line
                = QStringLiteral("bench %1 %2: ours %3 fps, reference %4 fps, ratio %5%6")
                      .arg(name, threads)
                      .arg(ours, 0, 'f', 1)
                      .arg(reference, 0, 'f', 1)
                      .arg(ours / reference, 0, 'f', 2)
                      .arg(quality);
            std::printf("%s\n", qPrintable(line));
            std::fflush(stdout);
            summary << line;
            if (k == 1 && !withQuality) {
                // The effects' own scaling: all cores against one thread, both by the clock.
                oursOne = 0;
                for (int run = 0; run < kRuns; ++run)
                    oursOne = std::max(oursOne, oursFps(images, framesHere, 1, true));
                const QString scaling
                    = QStringLiteral("bench %1 scaling @all cores (%2): ours %3 fps, reference %4 "
                                     "fps (ours @1 thread, by the clock), ratio %5")
                          .arg(name)
                          .arg(cores)
                          .arg(ours, 0, 'f', 1)
                          .arg(oursOne, 0, 'f', 1)
                          .arg(ours / oursOne, 0, 'f', 2);
                std::printf("%s\n", qPrintable(scaling));
                summary << scaling;
            }
        }
        return true;
    };

    auto colour = [](LMMovieImage &image) {
        image.setSaturation(0.6f);
        image.setBrightness(0.55f);
        image.setContrast(0.3f);
    };
    QImage mark(160, 60, QImage::Format_RGBA8888_Premultiplied);
    mark.fill(QColor(255, 255, 255, 128));
    const Reelsmith::imaging::Image watermark
        = Reelsmith::imaging::Image::fromQImage(mark).translated(540, 500);
    bool ok = report(QStringLiteral("crop+zoom"), {}, frames, true, [](LMMovieImage &) {})
              && report(QStringLiteral("crop+zoom+colour"), {}, frames, true, colour)
              && report(QStringLiteral("crop+zoom+colour+text+watermark"),
                        {true},
                        frames,
                        true,
                        [&](LMMovieImage &image) {
                            colour(image);
                            image.setWatermark(watermark);
                            image.setSubtitleColor(Qt::white);
                            QFont font;
                            font.setPixelSize(36);
                            image.setSubtitleFont(font);
                            image.setSubtitlePosition(0.08f);
                            image.setSubtitleCurrentString(
                                QStringLiteral("A subtitle of two lines\nover the picture"));
                        });
    // A phone picture turned by its display matrix, fitted upright: against the program's own
    // transpose and lanczos scale of the same frame.
    if (only.isEmpty() || QStringLiteral("turned-picture").contains(only)) {
        auto turned = makeImage(images[0]->currentCIImage().constBits(), kWidth, kHeight);
        turned->setCropRect(QRectF(0, 0, kWidth, kHeight));
        turned->setOutputSize(QSizeF(kOutWidth, kOutHeight));
        turned->setZoomType(2);
        turned->setRotate(90);
        const QImage mine = drawn(*turned);
        double best = 0;
        QString direction;
        for (const QString &way : {QStringLiteral("cclock"), QStringLiteral("clock")}) {
            const QImage theirs = programPicture(
                rawInputArgs(path, 1),
                QStringLiteral("transpose=%1,scale=324:576:flags=lanczos+accurate_rnd+full_chroma_"
                               "int,pad=720:576:198:0")
                    .arg(way),
                kOutWidth,
                kOutHeight,
                &error);
            if (!theirs.isNull() && psnr(mine, theirs) > best) {
                best = psnr(mine, theirs);
                direction = way;
            }
        }
        const QString line = QStringLiteral("bench turned-picture (display matrix 90, against "
                                            "transpose=%1 and lanczos): ours %2 dB, reference "
                                            "45.00 dB, ratio %3")
                                 .arg(direction)
                                 .arg(best, 0, 'f', 2)
                                 .arg(best / 45.0, 0, 'f', 2);
        std::printf("%s\n", qPrintable(line));
        summary << line;
    }
    for (const QString &effect : EffectManager::sharedAllFilterNames())
        ok = ok
             && report(QStringLiteral("effect \"%1\"").arg(effect),
                       {},
                       std::max(20, frames / 4),
                       false,
                       [&](LMMovieImage &image) { image.setEffectName(effect); });
    std::printf("\n");
    for (const QString &line : summary)
        std::printf("%s\n", qPrintable(line));
    return ok ? 0 : 1;
}
