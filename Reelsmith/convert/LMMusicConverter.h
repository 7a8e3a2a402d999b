#pragma once

#include "Reelsmith/LMTypes.h"

#include <QList>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

class LMFFMovie;
class LMSegmentMovie;

/**
 * Renders the sound of movie segments, with their trims, fades and volume, into an audio file
 * whose container and codec follow the path (or movieFormat's audio codec).
 *
 * The job runs synchronously on the caller's thread (never the main thread in product code);
 * every read of a movie runs on that movie's decode queue. cancel() and the progress may come
 * from any thread. A cancelled or failed run leaves no file.
 */
class LMMusicConverter
{
public:
    /** 44100 Hz stereo at 192 kbit/s, the container's own codec. */
    static LMFFMovieFileOutputFormat defaultFormat();

    LMMusicConverter();

    LMFFMovieFileOutputFormat movieFormat() const { return m_format; }
    void setMovieFormat(const LMFFMovieFileOutputFormat &format) { m_format = format; }

    /** Writes the segments one after another; true when the file was written completely. */
    bool convertAudios(const QList<std::shared_ptr<LMSegmentMovie>> &segments, const QString &path);
    /** One segment of movie from left to right seconds with those fades. */
    bool startConverterMusic(const std::shared_ptr<LMFFMovie> &movie,
                             float leftTrimTime,
                             float rightTrimTime,
                             float fadeInTime,
                             float fadeOutTime,
                             const QString &exportPath);

    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }
    /** The fraction written, at most 0.999. */
    double progress() const;
    /** Seconds written. */
    double convertingTime() const;
    /** Blocks of 1024 frames written by the last run. */
    int64_t blocksWritten() const { return m_blocks.load(); }

private:
    LMFFMovieFileOutputFormat m_format;
    std::atomic<int64_t> m_totalTime{0};
    std::atomic<int64_t> m_convertingTime{0};
    std::atomic<int64_t> m_blocks{0};
    std::atomic<bool> m_cancelled{false};
};
