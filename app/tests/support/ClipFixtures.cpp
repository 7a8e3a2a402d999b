#include "support/ClipFixtures.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <mutex>

namespace app_testing {

struct ClipFixtures::Private
{
    QTemporaryDir dir;
    std::mutex lock;
    QMap<QString, QString> made;
};

ClipFixtures &ClipFixtures::shared()
{
    static ClipFixtures fixtures;
    return fixtures;
}

ClipFixtures::ClipFixtures()
    : d(new Private)
{}

QString ClipFixtures::dir() const
{
    return d->dir.path();
}

QString ClipFixtures::make(const QString &name, const QStringList &args)
{
    std::lock_guard guard(d->lock);
    if (d->made.contains(name))
        return d->made.value(name);
    const QString path = d->dir.filePath(name);
    QProcess ffmpeg;
    ffmpeg.start(
        QStringLiteral("ffmpeg"),
        QStringList{QStringLiteral("-y"), QStringLiteral("-loglevel"), QStringLiteral("error")}
            + args + QStringList{path});
    const bool ok = ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit
                    && ffmpeg.exitCode() == 0;
    if (!ok)
        qWarning(
            "ffmpeg failed for %s: %s", qPrintable(name), ffmpeg.readAllStandardError().data());
    d->made.insert(name, ok ? path : QString());
    return ok ? path : QString();
}

QString ClipFixtures::chaptered20s()
{
    const QString meta = d->dir.filePath(QStringLiteral("chapters.txt"));
    QFile file(meta);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(";FFMETADATA1\n"
                   "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=7000\ntitle=One\n"
                   "[CHAPTER]\nTIMEBASE=1/1000\nSTART=7000\nEND=14000\ntitle=Two\n"
                   "[CHAPTER]\nTIMEBASE=1/1000\nSTART=14000\nEND=20000\ntitle=Three\n");
        file.close();
    }
    return make(QStringLiteral("chaptered.mp4"),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=160x120:rate=10:duration=20",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=440:duration=20",
                 "-i",
                 meta,
                 "-map",
                 "0:v",
                 "-map",
                 "1:a",
                 "-map_metadata",
                 "2",
                 "-map_chapters",
                 "2",
                 "-c:v",
                 "libx264",
                 "-preset",
                 "ultrafast",
                 "-g",
                 "10",
                 "-pix_fmt",
                 "yuv420p",
                 "-c:a",
                 "aac",
                 "-shortest"});
}

QString ClipFixtures::fullHd10s()
{
    return make(QStringLiteral("fullhd.mp4"),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=1920x1080:rate=5:duration=10",
                 "-c:v",
                 "libx264",
                 "-preset",
                 "ultrafast",
                 "-g",
                 "5",
                 "-pix_fmt",
                 "yuv420p"});
}

namespace {

// The lavfi input of a colour picture of 160 x 120 at 25 frames a second; duration in seconds.
QStringList colourInput(const QString &colour, const QString &duration)
{
    return {QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("color=c=%1:size=160x120:rate=25:duration=%2").arg(colour, duration)};
}

// The colour clips' picture: H.264, a key frame a second.
const QStringList kColourEncoding
    = {"-c:v", "libx264", "-preset", "ultrafast", "-g", "25", "-pix_fmt", "yuv420p"};

} // namespace

QString ClipFixtures::silentColour(const QString &colour, double seconds)
{
    const QString duration = QStringLiteral("%1").arg(seconds);
    return make(QStringLiteral("%1-%2s-silent.mp4").arg(colour, duration),
                colourInput(colour, duration) + kColourEncoding);
}

QString ClipFixtures::colour(const QString &colour, int seconds)
{
    const QString duration = QString::number(seconds);
    return make(QStringLiteral("%1-%2s.mp4").arg(colour, duration),
                colourInput(colour, duration)
                    + QStringList{"-f",
                                  "lavfi",
                                  "-i",
                                  QStringLiteral("sine=frequency=440:duration=%1").arg(duration)}
                    + kColourEncoding + QStringList{"-c:a", "aac", "-shortest"});
}

QString ClipFixtures::subtitleSrt()
{
    const QString path = d->dir.filePath(QStringLiteral("clip.srt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("1\n00:00:00,500 --> 00:00:01,500\nFirst\n\n"
               "2\n00:00:02,000 --> 00:00:03,000\nSecond\n\n"
               "3\n00:00:04,000 --> 00:00:05,000\nThird\n\n");
    return path;
}

QString ClipFixtures::alteredCopy(const QString &name, const std::function<bool(QFile &)> &edit)
{
    const QString whole
        = make(QStringLiteral("index-first-5s.mp4"),
               {"-f",        "lavfi",   "-i",        "testsrc=size=320x240:rate=25:duration=5",
                "-f",        "lavfi",   "-i",        "sine=frequency=440:duration=5",
                "-c:v",      "libx264", "-preset",   "veryfast",
                "-g",        "25",      "-pix_fmt",  "yuv420p",
                "-c:a",      "aac",     "-shortest", "-movflags",
                "+faststart"});
    if (whole.isEmpty())
        return QString();
    std::lock_guard guard(d->lock);
    if (d->made.contains(name))
        return d->made.value(name);
    const QString path = d->dir.filePath(name);
    QFile file(path);
    const bool ok = QFile::copy(whole, path) && file.open(QIODevice::ReadWrite) && edit(file);
    file.close();
    d->made.insert(name, ok ? path : QString());
    return ok ? path : QString();
}

QString ClipFixtures::cutShort()
{
    return alteredCopy(QStringLiteral("cut.mp4"),
                       [](QFile &file) { return file.resize(file.size() * 6 / 10); });
}

QString ClipFixtures::damaged()
{
    return alteredCopy(QStringLiteral("damaged.mp4"), [](QFile &file) {
        const qint64 size = file.size();
        // A fixed noise (xorshift), so that every run damages the same packets.
        uint32_t noise = 2463534242u;
        for (int percent : {35, 55, 75}) {
            QByteArray bytes(300, Qt::Uninitialized);
            for (char &byte : bytes) {
                noise ^= noise << 13;
                noise ^= noise >> 17;
                noise ^= noise << 5;
                byte = char(noise & 0xff);
            }
            if (!file.seek(size * percent / 100) || file.write(bytes) != bytes.size())
                return false;
        }
        return true;
    });
}

} // namespace app_testing
