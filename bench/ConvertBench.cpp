// Title conversion speed of the media engine beside the ffmpeg program.
//
// Converts 60 s of 1280x720 25 fps H.264/AAC into a PAL 16:9 DVD title at 7000 kbit/s through
// LMVideoConverter, plainly (decoded frames scaled straight into the encoder) and with a crop and
// colour controls (every frame composed), and runs the ffmpeg program's DVD target on the same
// file at its default threads. Prints frames per second and the PSNR of each title against the
// source, then the times of 4 titles in a row, 4 converters at once and 4 ffmpeg programs at once.
//
//     discwright-bench-convert [file]

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/convert/LMVideoConverter.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "bench/BenchClip.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using bench::benchDir;
using bench::runProgram;
constexpr int kFrames = bench::kClipFrames;
const QString kCrop = QStringLiteral("crop=1120:630:80:45");

std::shared_ptr<LMVideoConverter>
makeConverter(const QString &source, const QString &output, bool crop)
{
    auto segment = LMSegmentMovie::movieWithPath(source);
    if (!segment)
        return nullptr;
    if (crop) { // the same region and colour as the reference's crop and eq filters
        segment->ffmovie()->setCropRect(QRectF(80, 45, 1120, 630)); // y-up pixels
        segment->ffmovie()->setBrightness(0.525f);                  // +0.05
        segment->ffmovie()->setSaturation(0.6f);                    // x1.2
    }
    auto converter = std::make_shared<LMVideoConverter>();
    converter->setMovies({segment});
    converter->setPath(output);
    converter->setMovieOutputFormat(bench::palWideTitle(7000000));
    return converter;
}

// Seconds for converters started together and waited for; -1 when one failed.
double runConverters(const QString &source, const QStringList &outputs, bool crop)
{
    std::vector<std::shared_ptr<LMVideoConverter>> converters;
    for (const QString &output : outputs)
        converters.push_back(makeConverter(source, output, crop));
    QElapsedTimer timer;
    timer.start();
    for (const auto &converter : converters) {
        if (!converter)
            return -1;
        converter->startConvert();
    }
    bool failed = false;
    for (const auto &converter : converters) {
        converter->waitUntilFinished();
        failed = failed || converter->isFailed();
    }
    return failed ? -1 : double(timer.nsecsElapsed()) / 1e9;
}

QStringList ffmpegArgs(const QString &source, const QString &output, bool crop)
{
    QStringList args{"-y",         "-hide_banner", "-loglevel", "error", "-i",       source,
                     "-target",    "pal-dvd",      "-aspect",   "16:9",  "-b:v",     "7000k",
                     "-minrate",   "7000k",        "-maxrate",  "7000k", "-bufsize", "1835008",
                     "-g",         "15",           "-bf",       "0",     "-mbd",     "rd",
                     "-sws_flags", "bilinear",     "-ac",       "2"};
    if (crop)
        args << "-vf" << (kCrop + QStringLiteral(",eq=brightness=0.05:saturation=1.2"));
    args << output;
    return args;
}

double runFfmpegs(const QString &source, const QStringList &outputs, bool crop)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    QElapsedTimer timer;
    timer.start();
    for (const QString &output : outputs) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("ffmpeg"), ffmpegArgs(source, output, crop));
        processes.push_back(std::move(process));
    }
    bool failed = false;
    for (const auto &process : processes) {
        process->waitForFinished(-1);
        failed = failed || process->exitCode() != 0;
    }
    return failed ? -1 : double(timer.nsecsElapsed()) / 1e9;
}

// Average PSNR (dB) of a title against the source brought to the title's frame the same way.
double psnrAgainstSource(const QString &title, const QString &source, bool crop)
{
    const QString reference = (crop ? kCrop + QStringLiteral(",") : QString())
                              + QStringLiteral("scale=720:576:flags=bicubic,setsar=64/45");
    QString output;
    runProgram(
        QStringLiteral("ffmpeg"),
        {"-hide_banner",
         "-i",
         title,
         "-i",
         source,
         "-lavfi",
         QStringLiteral("[1:v]%1[ref];[0:v]setsar=64/45[dist];[dist][ref]psnr").arg(reference),
         "-f",
         "null",
         "-"},
        &output);
    const QRegularExpression average(QStringLiteral("average:([0-9.]+|inf)"));
    const auto match = average.match(output);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

void summary(const char *name, double oursFps, double refFps, double oursPsnr, double refPsnr)
{
    std::printf(
        "bench %s: ours %.1f fps, reference %.1f fps, ratio %.2f, quality %.2f vs %.2f dB\n",
        name,
        oursFps,
        refFps,
        refFps > 0 ? oursFps / refFps : 0.0,
        oursPsnr,
        refPsnr);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    LMFFMovie::initialize();
    QString error;
    const QString source = argc > 1 ? QString::fromLocal8Bit(argv[1]) : bench::benchClip(&error);
    if (source.isEmpty()) {
        std::fprintf(stderr, "cannot make the benchmark file: %s\n", qPrintable(error));
        return 1;
    }
    const QString dir = benchDir();
    const auto out = [&](const QString &name) { return dir + QLatin1Char('/') + name; };
    std::printf("file: %s\n", qPrintable(source));

    for (const bool crop : {false, true}) {
        const QString tag = crop ? QStringLiteral("crop") : QStringLiteral("plain");
        const QString ours = out(QStringLiteral("ours_%1.dvd").arg(tag));
        const QString theirs = out(QStringLiteral("ffmpeg_%1.dvd").arg(tag));
        const double oursSeconds = runConverters(source, {ours}, crop);
        const double refSeconds = runFfmpegs(source, {theirs}, crop);
        if (oursSeconds <= 0 || refSeconds <= 0) {
            std::fprintf(stderr, "a %s conversion failed\n", qPrintable(tag));
            return 1;
        }
        const QString name
            = QStringLiteral("title-conversion%1").arg(crop ? QStringLiteral("-crop") : QString());
        summary(qPrintable(name),
                kFrames / oursSeconds,
                kFrames / refSeconds,
                psnrAgainstSource(ours, source, crop),
                psnrAgainstSource(theirs, source, crop));
    }

    QStringList four;
    QStringList fourRef;
    for (int i = 0; i < 4; ++i) {
        four << out(QStringLiteral("ours_par%1.dvd").arg(i));
        fourRef << out(QStringLiteral("ffmpeg_par%1.dvd").arg(i));
    }
    double inRow = 0;
    for (const QString &title : four)
        inRow += runConverters(source, {title}, false);
    const double together = runConverters(source, four, false);
    const double togetherRef = runFfmpegs(source, fourRef, false);
    std::printf("4 titles in a row: %.2f s (%.1f fps)\n", inRow, 4 * kFrames / inRow);
    std::printf("4 converters at once: %.2f s (%.1f fps), 4 ffmpeg at once: %.2f s (%.1f fps)\n",
                together,
                4 * kFrames / together,
                togetherRef,
                4 * kFrames / togetherRef);
    for (const QString &file : four + fourRef)
        QFile::remove(file);
    return 0;
}
