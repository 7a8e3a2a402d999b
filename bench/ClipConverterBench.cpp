// Clip converter speed and quality beside the ffmpeg program.
//
// Converts one 60 s 1280x720 25 fps H.264/AAC clip into a PAL 16:9 DVD title at 4000 kbit/s
// through VCVideoConverter (the way production converts a title), and runs the ffmpeg program's
// DVD target at the same rate on the same file at its default threads. Prints frames per second
// of each, and the PSNR and SSIM of each title against the source scaled to the DVD frame with
// lanczos.
//
//     discwright-bench-clip-converter [file]

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/Convert/VCVideoConverter.h"
#include "bench/BenchClip.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

namespace {

using bench::benchDir;
using bench::runProgram;
constexpr int kFrames = bench::kClipFrames;

// Seconds for one conversion; -1 when it failed.
double runOurs(const QString &source, const QString &output)
{
    QFile::remove(output);
    const auto clip = VCMovie::movieWithSource(LMMediaSource::mediaWithPath(source));
    if (!clip)
        return -1;
    auto converter = std::make_shared<VCVideoConverter>();
    converter->setMovies({clip});
    converter->setPath(output);
    converter->setMovieOutputFormat(bench::palWideTitle(4000000));
    converter->updateConverterContent();
    QElapsedTimer timer;
    timer.start();
    converter->startConvert();
    converter->waitUntilFinished();
    // A failed run ends finished without its file.
    if (!converter->isFinished() || converter->isFailed()) {
        std::fprintf(stderr, "ours: %s\n", qPrintable(converter->lastError()));
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

double runReference(const QString &source, const QString &output)
{
    QElapsedTimer timer;
    timer.start();
    QString log;
    if (!runProgram(QStringLiteral("ffmpeg"),
                    {"-y",
                     "-hide_banner",
                     "-loglevel",
                     "error",
                     "-i",
                     source,
                     "-target",
                     "pal-dvd",
                     "-aspect",
                     "16:9",
                     "-b:v",
                     "4000k",
                     "-ac",
                     "2",
                     output},
                    &log)) {
        std::fprintf(stderr, "reference: %s\n", qPrintable(log));
        return -1;
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

// The average of one comparison filter ("psnr" or "ssim") of a title against the lanczos-scaled
// source; -1 when it cannot be read.
double compareToSource(const QString &title, const QString &source, const QString &filter)
{
    QString output;
    runProgram(QStringLiteral("ffmpeg"),
               {"-hide_banner",
                "-i",
                title,
                "-i",
                source,
                "-lavfi",
                QStringLiteral("[1:v]scale=720:576:flags=lanczos,setsar=64/45[ref];"
                               "[0:v]setsar=64/45[dist];[dist][ref]%1")
                    .arg(filter),
                "-f",
                "null",
                "-"},
               &output);
    const QRegularExpression average(filter == u"psnr"
                                         ? QStringLiteral("PSNR .*average:([0-9.]+|inf)")
                                         : QStringLiteral("SSIM .*All:([0-9.]+)"));
    const auto match = average.match(output);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
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
    const QString ours = dir + QStringLiteral("/clip_converter_ours.dvd");
    const QString theirs = dir + QStringLiteral("/clip_converter_ffmpeg.mpg");
    std::printf("file: %s\n", qPrintable(source));

    const double oursSeconds = runOurs(source, ours);
    const double refSeconds = runReference(source, theirs);
    if (oursSeconds <= 0 || refSeconds <= 0)
        return 1;
    const double oursFps = kFrames / oursSeconds;
    const double refFps = kFrames / refSeconds;
    const double oursPsnr = compareToSource(ours, source, QStringLiteral("psnr"));
    const double refPsnr = compareToSource(theirs, source, QStringLiteral("psnr"));
    const double oursSsim = compareToSource(ours, source, QStringLiteral("ssim"));
    const double refSsim = compareToSource(theirs, source, QStringLiteral("ssim"));
    std::printf("ours %.2f s, reference %.2f s; SSIM %.4f vs %.4f\n",
                oursSeconds,
                refSeconds,
                oursSsim,
                refSsim);
    std::printf("bench clip-converter: ours %.1f fps, reference %.1f fps, ratio %.2f, quality %.2f "
                "vs %.2f dB\n",
                oursFps,
                refFps,
                oursFps / refFps,
                oursPsnr,
                refPsnr);
    QFile::remove(ours);
    QFile::remove(theirs);
    return 0;
}
