#include "bench/BenchClip.h"

#include "Reelsmith/LMFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace bench {

QString benchDir()
{
    const QString dir = QStringLiteral(DW_BINARY_DIR "/bench");
    QDir().mkpath(dir);
    return dir;
}

bool runProgram(const QString &program, const QStringList &args, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    const bool ok = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit
                    && process.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return ok;
}

QString benchClip(QString *error)
{
    return benchClip(kClipSeconds, 0, error);
}

QString benchClip(int seconds, int variant, QString *error)
{
    const QString name
        = variant == 0 ? QStringLiteral("h264_aac_1280x720_%1s.mp4").arg(seconds)
                       : QStringLiteral("h264_aac_1280x720_%1s_%2.mp4").arg(seconds).arg(variant);
    const QString path = benchDir() + u'/' + name;
    if (QFileInfo::exists(path))
        return path;
    std::printf("making %s with the ffmpeg program (libx264, aac)...\n", qPrintable(path));
    std::fflush(stdout);
    QString picture
        = QStringLiteral("testsrc2=size=1280x720:rate=%1:duration=%2").arg(kClipRate).arg(seconds);
    if (variant > 0)
        picture += QStringLiteral(",hue=h=%1").arg(variant * 120);
    const QString partial = path + QStringLiteral(".part.mp4");
    if (!runProgram(QStringLiteral("ffmpeg"),
                    {"-y",
                     "-hide_banner",
                     "-loglevel",
                     "error",
                     "-f",
                     "lavfi",
                     "-i",
                     picture,
                     "-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2")
                         .arg(440 + 110 * variant)
                         .arg(seconds),
                     "-c:v",
                     "libx264",
                     "-preset",
                     "veryfast",
                     "-pix_fmt",
                     "yuv420p",
                     "-g",
                     "50",
                     "-c:a",
                     "aac",
                     "-ac",
                     "2",
                     "-shortest",
                     partial},
                    error))
        return QString();
    QFile::rename(partial, path);
    return path;
}

LMFFMovieFileOutputFormat palWideTitle(int videoBitrate)
{
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = 720;
    format.height = 576;
    format.video_codec = lm_get_codec_id_by_name(QStringLiteral("mpeg2"));
    format.video_bitrate = videoBitrate;
    format.framerate = 25;
    format.frameTime = 1;
    format.aspect = float(16.0 / 9.0);
    format.sample_rate = 48000;
    format.audio_codec = lm_get_codec_id_by_name(QStringLiteral("ac3"));
    format.audio_bitrate = 448000;
    return format;
}

} // namespace bench
