#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

/**
 * Starts the movie helper Reelhand, found beside the executable. Any thread; the process object
 * belongs to the caller's thread.
 */
class MovieHelperTask
{
public:
    MovieHelperTask() = delete;

    /** Reelhand's path beside the executable. */
    static QString helperPath();
    /**
     * Starts Reelhand with command followed by arguments and returns it running, without waiting
     * for it to end; null (the reason logged) when it cannot start.
     */
    static std::unique_ptr<QProcess> launchMovieHelperTask(const QString &command,
                                                           const QStringList &arguments);
};
