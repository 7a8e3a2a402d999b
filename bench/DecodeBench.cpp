// Decoding speed of the media engine beside the ffmpeg program.
//
// Decodes a 60 s 1280x720 H.264 file to RGBA frames through LMFFMovie (the path every player and
// converter takes: the decode queue, the media's forwarding, the frame image's RGBA buffer) and
// prints frames per second beside `ffmpeg -threads 1` decoding the same file to RGBA rawvideo.
// Both decode on one core. The file is made with the ffmpeg program (libx264) when missing.
//
//     discwright-bench [file]

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "bench/ArchiveBench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace {

constexpr int kSeconds = 60;
constexpr int kRate = 25;

bool runQuietly(const QStringList &args, QString *error)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        *error = QString::fromLocal8Bit(process.readAllStandardError()).right(2000);
        return false;
    }
    return true;
}

QString benchFile(QString *error)
{
    const QString dir = QStringLiteral(DW_BINARY_DIR "/bench");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/h264_1280x720_60s.mp4");
    if (QFileInfo::exists(path))
        return path;
    std::printf("making %s with the ffmpeg program (libx264)...\n", qPrintable(path));
    std::fflush(stdout);
    const QString partial = path + QStringLiteral(".part.mp4");
    if (!runQuietly(
            {"-y",
             "-hide_banner",
             "-loglevel",
             "error",
             "-f",
             "lavfi",
             "-i",
             QStringLiteral("testsrc2=size=1280x720:rate=%1:duration=%2").arg(kRate).arg(kSeconds),
             "-c:v",
             "libx264",
             "-preset",
             "veryfast",
             "-pix_fmt",
             "yuv420p",
             "-g",
             "50",
             partial},
            error))
        return QString();
    QFile::rename(partial, path);
    return path;
}

// Frames decoded through the engine, one queued decode per frame time.
int decodeWithEngine(const QString &path, double *seconds)
{
    LMFFMovie movie;
    movie.openMedias(LMMediaSource::mediaWithPath(path)->createMedias());
    if (!movie.hasVideo())
        return -1;
    const int64_t frameDuration = 1000000 / kRate;
    const int64_t end = movie.duration();
    int frames = 0;
    int64_t lastTime = INT64_MIN;
    QElapsedTimer timer;
    timer.start();
    // The middle of each frame's interval asks for that frame.
    for (int64_t t = frameDuration / 2; t < end; t += frameDuration) {
        movie.decodeImageAtTimeAction(t, [&](const std::shared_ptr<LMMovieImage> &image) {
            const int64_t time = image->frameTime();
            if (time != INT64_MIN && time != lastTime && image->originFFImage()) {
                ++frames;
                lastTime = time;
            }
        });
    }
    *seconds = double(timer.nsecsElapsed()) / 1e9;
    return frames;
}

double decodeWithFfmpeg(const QString &path, QString *error)
{
    QElapsedTimer timer;
    timer.start();
    if (!runQuietly({"-hide_banner",
                     "-loglevel",
                     "error",
                     "-threads",
                     "1",
                     "-i",
                     path,
                     "-an",
                     "-filter_threads",
                     "1",
                     "-pix_fmt",
                     "rgba",
                     "-f",
                     "rawvideo",
                     "-y",
                     "/dev/null"},
                    error))
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool archiveInBounds = bench::runArchiveLoad();
    QString error;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : benchFile(&error);
    if (path.isEmpty()) {
        std::fprintf(stderr, "cannot make the benchmark file: %s\n", qPrintable(error));
        return 1;
    }

    double engineSeconds = 0;
    const int frames = decodeWithEngine(path, &engineSeconds);
    if (frames <= 0) {
        std::fprintf(stderr, "the engine decoded no video from %s\n", qPrintable(path));
        return 1;
    }
    const double ffmpegSeconds = decodeWithFfmpeg(path, &error);
    if (ffmpegSeconds <= 0) {
        std::fprintf(stderr, "the ffmpeg program failed: %s\n", qPrintable(error));
        return 1;
    }
    const double engineFps = frames / engineSeconds;
    const double ffmpegFps = frames / ffmpegSeconds;
    std::printf("file: %s\n", qPrintable(path));
    std::printf("engine (LMFFMovie, RGBA frames, 1 thread): %5d frames in %6.2f s = %7.1f fps\n",
                frames,
                engineSeconds,
                engineFps);
    std::printf("ffmpeg -threads 1 -pix_fmt rgba rawvideo:  %5d frames in %6.2f s = %7.1f fps\n",
                frames,
                ffmpegSeconds,
                ffmpegFps);
    std::printf("engine / ffmpeg: %.0f%%\n", 100.0 * engineFps / ffmpegFps);
    return archiveInBounds ? 0 : 1;
}
