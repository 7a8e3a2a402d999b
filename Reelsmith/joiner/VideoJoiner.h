#pragma once

#include "Reelsmith/joiner/VideoJoinerItem.h"
#include "platform/KeyedObject.h"

#include <QString>
#include <memory>

/**
 * A join job: the tracks to put one after another (each at its position and rate) into the movie
 * at path. exportMovie archives it to a private temporary file and hands that to the movie helper
 * Reelhand ("joiner"), which does the work in its own process. Archived under "path" and
 * "tracks".
 *
 * Held by std::shared_ptr. exportMovie blocks until the helper ends: a background thread.
 */
class VideoJoiner : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(VideoJoinerItemList tracks MEMBER tracks)
public:
    Q_INVOKABLE VideoJoiner() = default;
    QStringList allCoderKeys() const override;

    /** The joiner archived in the file; null (the reason logged) when it cannot be read. */
    static std::shared_ptr<VideoJoiner> joinerWithPath(const QString &path);

    /** Appends a track (the list is replaced, not changed in place). */
    void join(const QString &path, double position, double rate);
    /** A fresh, unused file name in the joiner's private temporary folder. */
    static QString tempFilePath();
    /**
     * Archives the job, runs Reelhand "joiner" on it and waits; the archive is removed after.
     * True when the helper reports success (exit status 0).
     */
    bool exportMovie();

    QString path;
    VideoJoinerItemList tracks;
};
