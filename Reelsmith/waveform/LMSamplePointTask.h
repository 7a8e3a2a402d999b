#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>

class LMFFMovie;

/**
 * Computes a movie's waveform in this process: for each of sample_point_per_second points per
 * second of audio, the largest absolute sample of both channels over the point's frames, as a
 * 32-bit float in host byte order.
 *
 * The computing calls block until done and are meant for a background thread; progress() and
 * cancel() may be called from any other thread meanwhile. One computation at a time per object.
 */
class LMSamplePointTask
{
public:
    /** Frames read per pass. */
    static constexpr int kReadFrames = 1024;
    /** Longer audio is refused: 36000 s. */
    static constexpr int64_t kLongestDuration = 36000LL * 1000000LL;

    /** Points per second of audio; 100 at creation. Set before computing. */
    int32_t sample_point_per_second = 100;

    /**
     * Opens path, limited to the given container stream indexes (nullopt or empty: the source's
     * own choice), and computes its whole waveform; nullopt when it cannot be opened or see
     * samplePointsFromMovie.
     */
    std::optional<QByteArray> samplePointsFromPath(const QString &path,
                                                   const std::optional<QList<int>> &streams);
    /** The whole movie, from 0 to its duration. */
    std::optional<QByteArray> samplePointsFromMovie(LMFFMovie &movie);
    /**
     * start and duration in engine time. nullopt without audio, for more than 36000 s, and
     * after cancel(); an early end of the audio gives fewer points. The movie is switched to
     * audio-only export reading and its clock moves.
     */
    std::optional<QByteArray>
    samplePointsFromMovie(LMFFMovie &movie, int64_t start, int64_t duration);

    /** Fraction done, 0 to 1; frames done over at least 44100 frames. */
    double progress() const { return m_progress.load(); }
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

private:
    std::atomic<double> m_progress{0};
    std::atomic<bool> m_cancelled{false};
};
