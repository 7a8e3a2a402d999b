#pragma once

#include <QList>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

class LMSegmentMovie;

/**
 * Extracts a movie's text subtitles into a subtitle file whose format follows the extension:
 * ".srt" SubRip, ".ass" and ".ssa" ASS, ".mp4", ".m4v" and ".mov" the QuickTime text track.
 * Any other extension (".txt" among them) has no subtitle container and fails.
 *
 * The job runs synchronously on the caller's thread (never the main thread in product code); the
 * subtitles are read on the movie's decode queue. cancel() and the progress may come from any
 * thread; a cancel given before the job starts stops it too, since the job object runs once. A
 * failed or cancelled job leaves no file.
 */
class LMSubtitleConverter
{
public:
    /** True when the file was written; false (no file) on failure or cancel. */
    bool convertSubtitles(const QList<std::shared_ptr<LMSegmentMovie>> &segments,
                          const QString &path);

    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }
    /** The part of the segment passed, at most 0.999. */
    double progress() const;
    /** Seconds of the segment passed. */
    double convertingTime() const;
    /** Events written by the last run. */
    int subtitlesWritten() const { return m_written.load(); }
    QString lastError() const { return m_lastError; }

private:
    std::atomic<int64_t> m_totalTime{0};
    std::atomic<int64_t> m_convertingTime{0};
    std::atomic<int> m_written{0};
    std::atomic<bool> m_cancelled{false};
    QString m_lastError;
};
