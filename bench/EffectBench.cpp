// Speed of the frame composition beside the ffmpeg program.
//
// A 1280x720 RGBA picture is cropped, fitted into 720x576 (bars above and below) and mirrored,
// then given colour controls, then text and a watermark, then each catalogue effect, and drawn
// into an encoder-size bitmap, on one thread and on all cores. The reference is the ffmpeg
// program's `-vf crop,scale,pad,eq,hflip` on the same raw RGBA frames at -filter_threads 1 and at
// its default. Quality is the PSNR (dB) of the plain crop+zoom picture, ours and the program's,
// against the program's lanczos rendering of it.
//
//     discwright-effect-bench [frames]

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
#include <functional>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

constexpr int kWidth = 1280, kHeight = 720, kFrames = 20;
constexpr int kOutWidth = 720, kOutHeight = 576;
// The crop in the program's terms (from the top) and ours (y up).
constexpr int kCropX = 40, kCropTop = 20, kCropW = 1200, kCropH = 680;
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

// Frames per second of the program's pipeline over frames frames; -1 when it fails.
double referenceFps(const QString &path, int frames, int threads, QString *error)
{
    QStringList args = rawInputArgs(path, (frames + kFrames - 1) / kFrames);
    if (threads > 0)
        args << "-filter_threads" << QString::number(threads);
    args << "-vf"
         << kGeometry + QStringLiteral(",eq=saturation=1.2:brightness=0.1:contrast=1.2,hflip")
         << "-frames:v" << QString::number(frames) << "-f"
         << "null"
         << "-";
    QElapsedTimer timer;
    timer.start();
    if (!runFfmpeg(args, error))
        return -1;
    return frames / (double(timer.nsecsElapsed()) / 1e9);
}

// The program's first frame of the mirrored crop+zoom with the given scaler flags, as RGBA.
QImage referencePicture(const QString &path, const QString &flags, QString *error)
{
    const QString out = QStringLiteral(DW_BINARY_DIR "/bench/reference.rgba");
    QStringList args = rawInputArgs(path, 1);
    if (!flags.isEmpty())
        args << "-sws_flags" << flags;
    args << "-vf" << kGeometry + QStringLiteral(",hflip") << "-frames:v"
         << "1"
         << "-pix_fmt"
         << "rgba"
         << "-f"
         << "rawvideo"
         << "-y" << out;
    if (!runFfmpeg(args, error))
        return {};
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() != kOutWidth * kOutHeight * 4)
        return {};
    QImage image(kOutWidth, kOutHeight, QImage::Format_RGBA8888);
    std::memcpy(image.bits(), bytes.constData(), size_t(bytes.size()));
    return image;
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
        AVFrame *frame = av_frame_alloc();
        frame->width = kWidth;
        frame->height = kHeight;
        frame->format = AV_PIX_FMT_RGBA;
        av_frame_get_buffer(frame, 32);
        for (int row = 0; row < kHeight; ++row)
            std::memcpy(frame->data[0] + row * frame->linesize[0],
                        bytes.constData() + qsizetype(row) * kWidth * 4,
                        size_t(kWidth) * 4);
        auto owner = LMFFImage::imageWithFrameOwned(frame, true);
        auto image = std::make_shared<LMMovieImage>();
        image->cache_frame_image_from_ffimage(*owner);
        image->setOriginSize(QSizeF(kWidth, kHeight));
        image->setCropRect(QRectF(kCropX, kHeight - kCropTop - kCropH, kCropW, kCropH));
        image->setOutputSize(QSizeF(kOutWidth, kOutHeight));
        image->setZoomType(2);
        image->setHflip(true);
        images.push_back(std::move(image));
    }
    return images;
}

double oursFps(const std::vector<std::shared_ptr<LMMovieImage>> &images, int frames, int threads)
{
    LMBitmapImage bitmap(QSizeF(kOutWidth, kOutHeight));
    images[0]->drawToBitmapImage(bitmap, threads); // warm the caches (the subtitle's too)
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i)
        images[size_t(i) % images.size()]->drawToBitmapImage(bitmap, threads);
    return frames / (double(timer.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(20, atoi(argv[1])) : 200;
    QString error;
    const QString path = rawInput(&error);
    if (path.isEmpty()) {
        std::fprintf(stderr, "cannot make the benchmark frames: %s\n", qPrintable(error));
        return 1;
    }
    auto images = loadFrames(path);
    if (images.empty()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const int cores = std::max(1, QThread::idealThreadCount());

    // Quality of the plain crop+zoom.
    const QImage ideal
        = referencePicture(path, QStringLiteral("lanczos+accurate_rnd+full_chroma_int"), &error);
    const QImage theirs = referencePicture(path, QString(), &error);
    LMBitmapImage mine(QSizeF(kOutWidth, kOutHeight));
    images[0]->drawToBitmapImage(mine, 1);
    if (ideal.isNull() || theirs.isNull()) {
        std::fprintf(stderr, "the ffmpeg program failed: %s\n", qPrintable(error));
        return 1;
    }
    const double ourQuality = psnr(mine.getCGImageRef(), ideal);
    const double theirQuality = psnr(theirs, ideal);

    double reference[2];
    for (int k = 0; k < 2; ++k) {
        reference[k] = referenceFps(path, frames, k == 0 ? 1 : 0, &error);
        if (reference[k] <= 0) {
            std::fprintf(stderr, "the ffmpeg program failed: %s\n", qPrintable(error));
            return 1;
        }
    }

    auto report = [&](const QString &name, int framesHere, const std::function<void()> &configure) {
        for (auto &image : images) {
            image->setSaturation(0.5f);
            image->setBrightness(0.5f);
            image->setContrast(0.25f);
            image->setEffectName(QString());
            image->setWatermark({});
            image->setSubtitleCurrentString(QString());
            image->clearSubtitleCache();
        }
        configure();
        for (int k = 0; k < 2; ++k) {
            const int threads = k == 0 ? 1 : cores;
            // All cores as the product asks for them (0: the renderer's default).
            const double ours = oursFps(images, framesHere, k == 0 ? 1 : 0);
            std::printf("bench %s @%d thread%s: ours %.1f fps, reference %.1f fps, ratio %.2f, "
                        "quality %.2f vs %.2f dB\n",
                        qPrintable(name),
                        threads,
                        threads == 1 ? "" : "s",
                        ours,
                        reference[k],
                        ours / reference[k],
                        ourQuality,
                        theirQuality);
            std::fflush(stdout);
        }
    };

    report(QStringLiteral("crop+zoom"), frames, [] {});
    auto colour = [&] {
        for (auto &image : images) {
            image->setSaturation(0.6f);
            image->setBrightness(0.55f);
            image->setContrast(0.3f);
        }
    };
    report(QStringLiteral("crop+zoom+colour"), frames, colour);
    QImage mark(160, 60, QImage::Format_RGBA8888_Premultiplied);
    mark.fill(QColor(255, 255, 255, 128));
    const Reelsmith::imaging::Image watermark
        = Reelsmith::imaging::Image::fromQImage(mark).translated(540, 500);
    report(QStringLiteral("crop+zoom+colour+text+watermark"), frames, [&] {
        colour();
        for (auto &image : images) {
            image->setWatermark(watermark);
            image->setSubtitleColor(Qt::white);
            QFont font;
            font.setPixelSize(36);
            image->setSubtitleFont(font);
            image->setSubtitlePosition(0.08f);
            image->setSubtitleCurrentString(
                QStringLiteral("A subtitle of two lines\nover the picture"));
        }
    });
    for (const QString &effect : EffectManager::sharedAllFilterNames())
        report(QStringLiteral("effect \"%1\"").arg(effect), std::max(20, frames / 4), [&] {
            for (auto &image : images)
                image->setEffectName(effect);
        });
    return 0;
}
