#include "support/MenuFixtures.h"

#include "support/ClipFixtures.h"
#include "testsupport/FfmpegProgram.h"

#include <QDir>
#include <QHash>
#include <QtGlobal>
#include <mutex>

namespace app_testing {
namespace {

QString makeOnce(const QString &name, const QStringList &args)
{
    static std::mutex lock;
    static QHash<QString, QString> made;
    std::lock_guard guard(lock);
    if (made.contains(name))
        return made.value(name);
    const QString path = QDir(ClipFixtures::shared().dir()).filePath(name);
    QString error;
    const bool ok = fixtures::runFfmpeg(args + QStringList{path}, path, &error);
    if (!ok)
        qWarning("ffmpeg failed for %s: %s", qPrintable(name), qPrintable(error));
    made.insert(name, ok ? path : QString());
    return ok ? path : QString();
}

} // namespace

QString sineMusic(double seconds)
{
    const QString length = QString::number(seconds, 'f', 3);
    return makeOnce(QStringLiteral("sine-%1s.wav").arg(length),
                    {"-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(length),
                     "-ac",
                     "2",
                     "-c:a",
                     "pcm_s16le"});
}

QString colourPicture(const QString &colour)
{
    return makeOnce(QStringLiteral("%1.png").arg(colour),
                    {"-f",
                     "lavfi",
                     "-i",
                     QStringLiteral("color=c=%1:size=640x480").arg(colour),
                     "-frames:v",
                     "1"});
}

} // namespace app_testing
