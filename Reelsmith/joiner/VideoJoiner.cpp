#include "Reelsmith/joiner/VideoJoiner.h"

#include "Reelsmith/detail/ProcessPaths.h"
#include "Reelsmith/joiner/MovieHelperTask.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <unistd.h>

using Reelsmith::lcHelpers;

DW_REGISTER_CLASS(VideoJoiner)

QStringList VideoJoiner::allCoderKeys() const
{
    return {QStringLiteral("path"), QStringLiteral("tracks")};
}

std::shared_ptr<VideoJoiner> VideoJoiner::joinerWithPath(const QString &path)
{
    QString error;
    const QVariant root = platform::KeyedUnarchiver::unarchiveFile(path, &error);
    auto joiner = platform::objectCast<VideoJoiner>(root.value<ObjectRef>());
    if (!joiner) {
        qCWarning(lcHelpers).noquote()
            << (error.isEmpty() ? QStringLiteral("%1 holds no joiner").arg(path) : error);
        return nullptr;
    }
    return joiner;
}

void VideoJoiner::join(const QString &path, double position, double rate)
{
    auto item = std::make_shared<VideoJoinerItem>();
    item->path = path;
    item->position = position;
    item->rate = rate;
    VideoJoinerItemList list = tracks;
    list.append(item);
    tracks = list;
}

QString VideoJoiner::tempFilePath()
{
    const QString root = Reelsmith::detail::privateTempRoot();
    if (root.isEmpty())
        return QString();
    const QString folder = root + QStringLiteral("/Video--Joiner--Temp");
    QDir().mkpath(folder);
    for (;;) {
        const QString path = folder
                             + QStringLiteral("/Video--Joiner--Temp-%1-%2")
                                   .arg(getpid())
                                   .arg(QRandomGenerator::global()->generate(), 0, 16);
        if (!QFile::exists(path))
            return path;
    }
}

bool VideoJoiner::exportMovie()
{
    const QString archive = tempFilePath();
    QString error;
    if (archive.isEmpty()
        || !platform::KeyedArchiver::archiveToFile(
            QVariant::fromValue(
                std::static_pointer_cast<QObject>(std::static_pointer_cast<VideoJoiner>(copy()))),
            archive,
            &error)) {
        qCWarning(lcHelpers) << "cannot archive the joiner:" << error;
        return false;
    }
    bool done = false;
    if (std::unique_ptr<QProcess> helper
        = MovieHelperTask::launchMovieHelperTask(QStringLiteral("joiner"), {archive})) {
        helper->waitForFinished(-1);
        done = helper->exitStatus() == QProcess::NormalExit && helper->exitCode() == 0;
        if (!done)
            qCWarning(lcHelpers).noquote() << QStringLiteral("Reelhand joiner %1 failed with %2")
                                                  .arg(archive)
                                                  .arg(helper->exitCode());
    }
    QFile::remove(archive);
    return done;
}
