#pragma once

#include "Reelsmith/convert/LMMovieCompositionTrack.h"

#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

/**
 * Remuxes whole streams of several files into one container by stream copy, each stream placed
 * at its position on the output timeline, interleaving the tracks one second at a time.
 *
 * exportToFile runs synchronously on the caller's thread; cancel() and the progress may come from
 * any thread. A failed or cancelled export leaves no file.
 */
class LMMovieComposition
{
public:
    QList<std::shared_ptr<LMMovieCompositionTrack>> tracks() const;
    void setTracks(const QList<std::shared_ptr<LMMovieCompositionTrack>> &tracks);
    /** A new track of the file's first stream at position seconds, appended. */
    std::shared_ptr<LMMovieCompositionTrack>
    insert(const QString &path, double position, double rate);
    void insertTrack(const std::shared_ptr<LMMovieCompositionTrack> &track);

    /** True when the file was written completely; false (no file) on failure or cancel. */
    bool exportToFile(const QString &path);
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }
    /** Seconds: the latest end of any mapped track. */
    double total_duration() const { return m_totalDuration.load(); }
    double export_duration() const { return m_exportDuration.load(); }
    /** At most 0.99 until the export has ended. */
    double progress() const;
    QString lastError() const;

private:
    mutable std::mutex m_lock;
    QList<std::shared_ptr<LMMovieCompositionTrack>> m_tracks;
    std::atomic<bool> m_cancelled{false};
    std::atomic<double> m_totalDuration{0};
    std::atomic<double> m_exportDuration{0};
    QString m_lastError;
};
