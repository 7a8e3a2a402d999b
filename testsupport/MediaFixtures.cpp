#include "testsupport/MediaFixtures.h"

#include "testsupport/AudioFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QSaveFile>
#include <cmath>
#include <functional>
#include <limits>
#include <mutex>

namespace fixtures {

namespace {

const QString kSrt = QStringLiteral("1\n00:00:00,500 --> 00:00:01,000\nFirst\n\n"
                                    "2\n00:00:01,000 --> 00:00:02,000\nHello, big\nworld\n\n"
                                    "3\n00:00:02,500 --> 00:00:03,000\nLast\n\n");

const QString kAss = QStringLiteral(
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n"
    "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
    "OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, "
    "Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,1,0,"
    "2,10,10,10,1\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:00.50,0:00:01.00,Default,,0,0,0,,First\n"
    "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\i1}Hello{\\i0}, big\\Nworld\n"
    "Dialogue: 0,0:00:02.50,0:00:03.00,Default,,0,0,0,,Last\n");

const QString kSami = QStringLiteral("<SAMI>\n<HEAD>\n<TITLE>fixture</TITLE>\n</HEAD>\n<BODY>\n"
                                     "<SYNC Start=500><P Class=ENCC>First\n"
                                     "<SYNC Start=1000><P Class=ENCC>Hello, big<br>world\n"
                                     "<SYNC Start=2000><P Class=ENCC>&nbsp;\n"
                                     "<SYNC Start=2500><P Class=ENCC>Last\n"
                                     "<SYNC Start=3000><P Class=ENCC>&nbsp;\n"
                                     "</BODY>\n</SAMI>\n");

const QString kChapters
    = QStringLiteral(";FFMETADATA1\n"
                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\ntitle=Opening\n"
                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=2000\nEND=4000\n");
const QString kThirdsChapters
    = QStringLiteral(";FFMETADATA1\n"
                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=3000\ntitle=One\n"
                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=3000\nEND=6000\ntitle=Two\n"
                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=6000\nEND=9000\ntitle=Three\n");

// The per-build cache folder, made when missing.
QString cacheFolder()
{
    QString folder = qEnvironmentVariable("DW_TEST_MEDIA_DIR");
    if (folder.isEmpty())
        folder = QStringLiteral(DW_BINARY_DIR "/testmedia");
    QDir().mkpath(folder);
    return folder;
}

// Makes path once for every process of the build: an existing file is reused; otherwise, under
// path's lock file, produce writes a temporary file beside it (same extension, so that the ffmpeg
// program picks the same muxer), which then takes its name, so no reader ever sees half a file.
bool makeOnce(const QString &path,
              const std::function<bool(const QString &temp, QString *error)> &produce,
              QString *error)
{
    const auto present = [&] { return QFileInfo(path).size() > 0; };
    if (present())
        return true;
#ifndef DW_FIXTURES_MAKER
    if (fixturesStartNoChild()) {
        *error = QStringLiteral("test medium %1 is missing: the program %2 makes it (ctest runs it "
                                "before the tests; in a ThreadSanitizer build the tests start no "
                                "child process)")
                     .arg(path, QString::fromLatin1(kMakerProgram));
        qWarning("%s", qPrintable(*error));
        return false;
    }
#endif
    QLockFile lock(path + QStringLiteral(".lock"));
    // A recipe takes seconds; a lock older than this was left by a process that died.
    lock.setStaleLockTime(5 * 60 * 1000);
    if (!lock.lock()) {
        *error = QStringLiteral("cannot lock %1.lock").arg(path);
        return false;
    }
    if (present())
        return true;
    const QFileInfo info(path);
    const QString temp = info.dir().filePath(QStringLiteral(".making-%1-%2")
                                                 .arg(QCoreApplication::applicationPid())
                                                 .arg(info.fileName()));
    QFile::remove(temp);
    if (!produce(temp, error)) {
        QFile::remove(temp);
        return false;
    }
    QFile::remove(path);
    if (!QFile::rename(temp, path)) {
        *error = QStringLiteral("cannot rename %1 to %2").arg(temp, path);
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace

struct MediaFixtures::Private
{
    QString dir = cacheFolder();
    std::mutex lock;
    QHash<QString, QString> made;
    QString lastError;
};

MediaFixtures &MediaFixtures::shared()
{
    static MediaFixtures fixtures;
    return fixtures;
}

MediaFixtures::MediaFixtures()
    : d(new Private)
{}

QString MediaFixtures::dir() const
{
    return d->dir;
}

QString MediaFixtures::lastError() const
{
    return d->lastError;
}

QString MediaFixtures::make(const QString &name, const QStringList &args)
{
    std::lock_guard guard(d->lock);
    if (d->made.contains(name))
        return d->made.value(name);
    const QString path = QDir(d->dir).filePath(name);
    QString error;
    const bool made = makeOnce(
        path,
        [&](const QString &temp, QString *why) {
            return runFfmpeg(args + QStringList{temp}, temp, why);
        },
        &error);
    if (!made) {
        d->lastError = error;
        return QString();
    }
    d->made.insert(name, path);
    return path;
}

QString MediaFixtures::writeText(const QString &name, const QByteArray &text)
{
    std::lock_guard guard(d->lock);
    const QString path = QDir(d->dir).filePath(name);
    if (d->made.contains(name))
        return path;
    // Another process may be reading the same file: a complete file replaces it at once.
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == text) {
        d->made.insert(name, path);
        return path;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        d->lastError = QStringLiteral("cannot write %1").arg(path);
        return QString();
    }
    d->made.insert(name, path);
    return path;
}

QString MediaFixtures::mpeg2Ps()
{
    return make(QStringLiteral("mpeg2.mpg"),
                {"-f",   "lavfi",      "-i",   "testsrc=size=320x240:rate=25:duration=3",
                 "-f",   "lavfi",      "-i",   "sine=frequency=440:sample_rate=48000:duration=3",
                 "-c:v", "mpeg2video", "-g",   "12",
                 "-b:v", "1500k",      "-c:a", "mp2",
                 "-ac",  "2",          "-f",   "vob"});
}

QString MediaFixtures::h264AacMp4(int seconds)
{
    return toneMovie(QStringLiteral("h264_%1s.mp4").arg(seconds),
                     QStringLiteral("testsrc=size=320x240:rate=25"),
                     seconds);
}

QString MediaFixtures::testsrc2SineMp4(int seconds)
{
    return toneMovie(QStringLiteral("testsrc2_%1s.mp4").arg(seconds),
                     QStringLiteral("testsrc2=size=160x120:rate=25"),
                     seconds);
}

QString MediaFixtures::toneMovie(const QString &name, const QString &picture, int seconds)
{
    const QString duration = QString::number(seconds);
    return make(name, {"-f",       "lavfi",
                       "-i",       QStringLiteral("%1:duration=%2").arg(picture, duration),
                       "-f",       "lavfi",
                       "-i",       QStringLiteral("sine=frequency=440:duration=%1").arg(duration),
                       "-c:v",     "libx264",
                       "-preset",  "veryfast",
                       "-g",       "25",
                       "-pix_fmt", "yuv420p",
                       "-c:a",     "aac",
                       "-ac",      "2",
                       "-shortest"});
}

QString MediaFixtures::srtFile()
{
    return writeText(QStringLiteral("subs.srt"), kSrt.toUtf8());
}

QString MediaFixtures::assFile()
{
    return writeText(QStringLiteral("subs.ass"), kAss.toUtf8());
}

QString MediaFixtures::samiFile()
{
    return writeText(QStringLiteral("subs.smi"), kSami.toUtf8());
}

QString MediaFixtures::mkvWithChaptersAndSubtitle()
{
    const QString srt = srtFile();
    const QString chapters = writeText(QStringLiteral("chapters.txt"), kChapters.toUtf8());
    if (srt.isEmpty() || chapters.isEmpty())
        return QString();
    return make(QStringLiteral("chapters.mkv"),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=160x120:rate=25:duration=4",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=440:duration=4",
                 "-i",
                 srt,
                 "-i",
                 chapters,
                 "-map",
                 "0",
                 "-map",
                 "1",
                 "-map",
                 "2",
                 "-map_chapters",
                 "3",
                 "-c:v",
                 "libx264",
                 "-preset",
                 "veryfast",
                 "-c:a",
                 "aac",
                 "-c:s",
                 "srt"});
}

QString MediaFixtures::twoLanguageMkv()
{
    const QString chapters
        = writeText(QStringLiteral("thirds_chapters.txt"), kThirdsChapters.toUtf8());
    if (chapters.isEmpty())
        return QString();
    return make(QStringLiteral("two_languages_aac.mkv"),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=160x120:rate=25:duration=9",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=1000:sample_rate=48000:duration=9",
                 "-f",
                 "lavfi",
                 "-i",
                 "anoisesrc=color=pink:amplitude=0.3:sample_rate=48000:duration=9",
                 "-i",
                 chapters,
                 "-map",
                 "0",
                 "-map",
                 "1",
                 "-map",
                 "2",
                 "-map_chapters",
                 "3",
                 "-c:v",
                 "libx265",
                 "-preset",
                 "ultrafast",
                 "-x265-params",
                 "log-level=error",
                 "-c:a",
                 "aac",
                 "-b:a",
                 "192k",
                 "-ac",
                 "2",
                 "-metadata:s:a:0",
                 "language=eng",
                 "-metadata:s:a:1",
                 "language=ger",
                 "-disposition:a:0",
                 "default",
                 "-disposition:a:1",
                 "0"});
}

QString MediaFixtures::audioOnlyWav()
{
    return make(
        QStringLiteral("sine.wav"),
        {"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac", "2", "-c:a", "pcm_s16le"});
}

QString MediaFixtures::twoAudioMka()
{
    return make(QStringLiteral("two_audio.mka"),
                {"-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=440:duration=2",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=880:duration=2",
                 "-map",
                 "0",
                 "-map",
                 "1",
                 "-c:a",
                 "flac"});
}

QString MediaFixtures::mp3WithCover()
{
    return make(QStringLiteral("cover.mp3"),
                {"-f",
                 "lavfi",
                 "-i",
                 "sine=duration=2",
                 "-f",
                 "lavfi",
                 "-i",
                 "color=c=red:size=64x64:d=1",
                 "-map",
                 "0",
                 "-map",
                 "1",
                 "-frames:v",
                 "1",
                 "-c:v",
                 "png",
                 "-disposition:v",
                 "attached_pic",
                 "-c:a",
                 "libmp3lame"});
}

QString MediaFixtures::videoLateAudioEarly()
{
    return make(QStringLiteral("late_video.mkv"),
                {"-itsoffset",
                 "0.5",
                 "-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=160x120:rate=25:duration=2",
                 "-itsoffset",
                 "0.2",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=duration=2",
                 "-c:v",
                 "libx264",
                 "-preset",
                 "veryfast",
                 "-c:a",
                 "pcm_s16le"});
}

QString MediaFixtures::rotatedMp4(int tagDegrees)
{
    const QString plain = make(QStringLiteral("unrotated.mp4"),
                               {"-f",
                                "lavfi",
                                "-i",
                                "testsrc=size=160x120:rate=25:duration=1",
                                "-c:v",
                                "libx264",
                                "-preset",
                                "veryfast"});
    if (plain.isEmpty())
        return QString();
    // Stream copy turns the tag into the track's display matrix.
    return make(QStringLiteral("rotated%1.mp4").arg(tagDegrees),
                {"-i",
                 plain,
                 "-c",
                 "copy",
                 "-metadata:s:v:0",
                 QStringLiteral("rotate=%1").arg(tagDegrees)});
}

QString MediaFixtures::camcorderAvi()
{
    return make(QStringLiteral("camcorder6.avi"),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=320x240:rate=25:duration=6",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=660:sample_rate=48000:duration=6",
                 "-c:v",
                 "mpeg4",
                 "-q:v",
                 "5",
                 "-c:a",
                 "pcm_s16le",
                 "-ac",
                 "2"});
}

QString MediaFixtures::sine10s()
{
    return make(QStringLiteral("sine10.flac"),
                {"-f",
                 "lavfi",
                 "-i",
                 "aevalsrc=0.5*sin(2*PI*1000*t)|0.5*sin(2*PI*1000*t):s=44100:d=10",
                 "-c:a",
                 "flac"});
}

QString MediaFixtures::sine441FloatWav(double seconds)
{
    return make(QStringLiteral("sine441_%1.wav").arg(seconds),
                {"-f",
                 "lavfi",
                 "-i",
                 QStringLiteral("aevalsrc=0.5*sin(2*PI*441*t)|0.5*sin(2*PI*441*t):s=44100:d=%1")
                     .arg(seconds),
                 "-c:a",
                 "pcm_f32le"});
}

QString MediaFixtures::videoOnlyMkv()
{
    return make(QStringLiteral("video_only.mkv"),
                {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1", "-c:v", "mpeg4"});
}

QString MediaFixtures::palPsWithDvdsub()
{
    {
        std::lock_guard guard(d->lock);
        if (d->made.contains(QStringLiteral("pal_sub.mpg")))
            return d->made.value(QStringLiteral("pal_sub.mpg"));
    }
    const QString video = make(QStringLiteral("pal.mpg"),
                               {"-f",
                                "lavfi",
                                "-i",
                                "testsrc=size=720x576:rate=25:duration=3",
                                "-target",
                                "pal-dvd",
                                "-an"});
    const QString picture = make(QStringLiteral("subpicture.png"),
                                 {"-f",
                                  "lavfi",
                                  "-i",
                                  "color=c=black@0.0:s=720x576,format=rgba,"
                                  "drawbox=x=100:y=380:w=300:h=100:color=white@1:t=fill",
                                  "-frames:v",
                                  "1"});
    if (video.isEmpty() || picture.isEmpty())
        return QString();
    const QString xml = writeText(QStringLiteral("subpicture.xml"),
                                  QStringLiteral("<subpictures><stream><spu start=\"00:00:00.50\" "
                                                 "end=\"00:00:02.50\" image=\"%1\" "
                                                 "transparent=\"000000\" force=\"yes\"/></stream>"
                                                 "</subpictures>\n")
                                      .arg(picture)
                                      .toUtf8());
    const QString output = QDir(d->dir).filePath(QStringLiteral("pal_sub.mpg"));
    QString error;
    const bool made = makeOnce(
        output,
        [&](const QString &temp, QString *why) {
            QProcess spumux;
            QProcessEnvironment environment;
            environment.insert(QStringLiteral("VIDEO_FORMAT"), QStringLiteral("PAL"));
            spumux.setProcessEnvironment(environment);
            spumux.setStandardInputFile(video);
            spumux.setStandardOutputFile(temp);
            spumux.start(QStringLiteral("spumux"), {QStringLiteral("-s0"), xml});
            if (!spumux.waitForFinished(60000) || spumux.exitCode() != 0
                || QFile(temp).size() == 0) {
                *why = QStringLiteral("spumux failed: %1")
                           .arg(QString::fromLocal8Bit(spumux.readAllStandardError()));
                return false;
            }
            return true;
        },
        &error);
    if (!made) {
        std::lock_guard guard(d->lock);
        d->lastError = error;
        return QString();
    }
    std::lock_guard guard(d->lock);
    d->made.insert(QStringLiteral("pal_sub.mpg"), output);
    return output;
}

QString MediaFixtures::randomBytes()
{
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(20240611);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return writeText(QStringLiteral("noise.mp4"), bytes);
}

QString MediaFixtures::palWithSar(const QString &sar)
{
    return make(QStringLiteral("pal_%1.mpg").arg(QString(sar).replace('/', '_')),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=720x576:rate=25:duration=1",
                 "-vf",
                 QStringLiteral("setsar=%1").arg(sar),
                 "-c:v",
                 "mpeg2video",
                 "-f",
                 "vob"});
}

QString MediaFixtures::wide169()
{
    return make(QStringLiteral("wide.mp4"),
                {"-f",
                 "lavfi",
                 "-i",
                 "testsrc=size=320x180:rate=25:duration=1",
                 "-c:v",
                 "libx264",
                 "-preset",
                 "veryfast",
                 "-pix_fmt",
                 "yuv420p"});
}

bool MediaFixtures::makeAll()
{
    const QStringList made = {
        mpeg2Ps(),
        h264AacMp4(3),
        h264AacMp4(5),
        testsrc2SineMp4(4),
        testsrc2SineMp4(6),
        mkvWithChaptersAndSubtitle(),
        audioOnlyWav(),
        twoAudioMka(),
        twoLanguageMkv(),
        camcorderAvi(),
        mp3WithCover(),
        videoLateAudioEarly(),
        rotatedMp4(90),
        rotatedMp4(270),
        sine10s(),
        sine441FloatWav(0.5),
        sine441FloatWav(10),
        videoOnlyMkv(),
        srtFile(),
        assFile(),
        samiFile(),
        palPsWithDvdsub(),
        randomBytes(),
        palWithSar(QStringLiteral("16/15")),
        palWithSar(QStringLiteral("1/1")),
        wide169(),
    };
    if (made.contains(QString()))
        return false;
    // The reference pictures the tests compare decoded frames with.
    QImage picture;
    for (double seconds : {0.0, 2.0}) {
        if (!ffmpegFrameAt(h264AacMp4(3), seconds, &picture)) {
            std::lock_guard guard(d->lock);
            d->lastError = QStringLiteral("no reference picture at %1 s").arg(seconds);
            return false;
        }
    }
    return true;
}

bool ffmpegFrameAt(const QString &path, double seconds, QImage *rgba)
{
    const QString cached
        = QDir(MediaFixtures::shared().dir())
              .filePath(QStringLiteral("frame-%1-at-%2.png")
                            .arg(QFileInfo(path).fileName(), QString::number(seconds, 'f', 3)));
    QString error;
    const bool made = makeOnce(
        cached,
        [&](const QString &temp, QString *why) {
            return runFfmpeg({"-i",
                              path,
                              "-ss",
                              QString::number(seconds, 'f', 3),
                              "-frames:v",
                              "1",
                              "-c:v",
                              "png",
                              "-f",
                              "image2",
                              temp},
                             temp,
                             why);
        },
        &error);
    if (!made) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    QImage image;
    if (!image.load(cached, "PNG"))
        return false;
    *rgba = image.convertToFormat(QImage::Format_RGBA8888);
    return true;
}

double psnr(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 0;
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int col = 0; col < x.width(); ++col)
            for (int c = 0; c < 3; ++c) {
                const double diff = double(p[col * 4 + c]) - double(q[col * 4 + c]);
                sum += diff * diff;
            }
    }
    const double mse = sum / (double(x.width()) * x.height() * 3);
    if (mse == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / mse);
}

} // namespace fixtures
