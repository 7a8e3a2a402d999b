#include "PictureStream.h"

#include <QProcess>
#include <QTemporaryDir>

namespace testing_support {

namespace {

bool runFfmpeg(const QStringList &arguments, QString *error)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-hide_banner"),
                             QStringLiteral("-loglevel"),
                             QStringLiteral("error"),
                             QStringLiteral("-y")}
                     + arguments);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit
        || ffmpeg.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(ffmpeg.readAllStandardError()) + ffmpeg.errorString();
        return false;
    }
    return true;
}

} // namespace

bool makeDvdStreamFromPicture(const QString &picturePath,
                              const QString &path,
                              bool pal,
                              bool wide,
                              double seconds,
                              QString *error)
{
    const QString duration = QString::number(seconds);
    return runFfmpeg({QStringLiteral("-loop"),
                      QStringLiteral("1"),
                      QStringLiteral("-i"),
                      picturePath,
                      QStringLiteral("-f"),
                      QStringLiteral("lavfi"),
                      QStringLiteral("-i"),
                      QStringLiteral("anullsrc=r=48000:cl=stereo"),
                      QStringLiteral("-t"),
                      duration,
                      QStringLiteral("-target"),
                      pal ? QStringLiteral("pal-dvd") : QStringLiteral("ntsc-dvd"),
                      QStringLiteral("-aspect"),
                      wide ? QStringLiteral("16:9") : QStringLiteral("4:3"),
                      path},
                     error);
}

QImage firstPictureOfStream(const QString &path, QSize size)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("first.png"));
    if (!runFfmpeg({QStringLiteral("-i"),
                    path,
                    QStringLiteral("-frames:v"),
                    QStringLiteral("1"),
                    QStringLiteral("-vf"),
                    QStringLiteral("scale=%1:%2").arg(size.width()).arg(size.height()),
                    picture},
                   nullptr))
        return {};
    return QImage(picture);
}

} // namespace testing_support
