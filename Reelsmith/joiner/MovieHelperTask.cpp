#include "Reelsmith/joiner/MovieHelperTask.h"

#include "Reelsmith/detail/ProcessPaths.h"

using Reelsmith::lcHelpers;

QString MovieHelperTask::helperPath()
{
    return Reelsmith::detail::executableDir() + QStringLiteral("/Reelhand");
}

std::unique_ptr<QProcess> MovieHelperTask::launchMovieHelperTask(const QString &command,
                                                                 const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(helperPath(), QStringList{command} + arguments);
    if (!process->waitForStarted()) {
        qCWarning(lcHelpers).noquote()
            << QStringLiteral("exception %1 %2").arg(process->errorString(), helperPath());
        return nullptr;
    }
    return process;
}
