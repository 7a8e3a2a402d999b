#pragma once

#include "Reelsmith/LMTypes.h"

#include <QList>
#include <QLoggingCategory>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class LMBitmapImage;
class LMCImagePool;
class LMFFMovie;
class LMFFMovieFileOutput;
class LMMovieImage;
class LMSegmentMovie;
class LMVideoConverterDelegate;
class QObject;

namespace Reelsmith {
// discwright.reelsmith.convert: the conversion jobs.
Q_DECLARE_LOGGING_CATEGORY(lcConvert)
namespace detail {
class ConvertHandOver;
struct ConvertItem;
} // namespace detail
} // namespace Reelsmith

/**
 * Converts an ordered list of movie segments into one output file. Per run it decides whether the
 * picture and sound can be copied packet by packet (no quality loss), whether decoded frames can
 * be written as they are (no edits: they are scaled straight into the encoder's format), or
 * whether every frame has to be composed with the clip's edits first.
 *
 * Threads: the owner's thread starts, pauses, resumes and cancels the job and reads its state and
 * progress (all atomic). The job runs on a thread of its own, which encodes and writes. Every read
 * of a movie (pictures, packets, samples) runs on that movie's decode queue and hands its result
 * over through a small bounded list, so decoding the next frames overlaps encoding this one, and
 * decoding never runs more than pool_cache_count pictures ahead. Several converters share nothing
 * but the codec lock. Delegate messages arrive on the receiver's thread.
 *
 * Failures: an output that cannot be opened or written, or a cancel, ends the job with the output
 * file deleted; isFailed() and lastError() tell the first two apart from success.
 *
 * Held by std::shared_ptr (the job thread keeps it alive while it runs). A converter runs once.
 */
class LMVideoConverter : public std::enable_shared_from_this<LMVideoConverter>
{
public:
    LMVideoConverter();
    virtual ~LMVideoConverter();
    LMVideoConverter(const LMVideoConverter &) = delete;
    LMVideoConverter &operator=(const LMVideoConverter &) = delete;

    // Set before startConvert.
    QList<std::shared_ptr<LMSegmentMovie>> movies() const { return m_movies; }
    void setMovies(const QList<std::shared_ptr<LMSegmentMovie>> &movies) { m_movies = movies; }
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    LMFFMovieFileOutputFormat movieOutputFormat() const { return m_format; }
    void setMovieOutputFormat(const LMFFMovieFileOutputFormat &format) { m_format = format; }
    /** Messages go to delegate on receiver's thread; nothing is sent once receiver is gone. */
    void setDelegate(LMVideoConverterDelegate *delegate, QObject *receiver);
    /** Allow writing decoded frames without composing them (true at creation). */
    bool copyImage() const { return m_copyImage; }
    void setCopyImage(bool on) { m_copyImage = on; }
    int32_t pool_cache_count() const { return m_poolCacheCount; }
    void setPool_cache_count(int32_t count) { m_poolCacheCount = std::max(1, count); }

    /** Asks for stream copy of the video and the audio; the run keeps what it can. */
    void updateConverterSpeedFast(bool video, bool audio);
    bool skipDecodeImage() const { return m_skipDecodeImage; }
    bool skipDecodeAudio() const { return m_skipDecodeAudio; }
    bool hasVideo() const { return m_hasVideo; }
    bool hasAudio() const { return m_hasAudio; }
    /** Total of the segments' durations (engine time); 1 before the run is prepared. */
    int64_t duration() const { return m_duration; }

    /** First call: prepares the run and starts the job thread. Later calls resume. */
    void startConvert();
    void pause();
    void resume();
    /** Stops the job at its next step; the partial file is deleted. */
    void cancel();
    /** Waits until the job thread has ended (tests and shutdown; never from the main loop). */
    void waitUntilFinished();

    /**
     * The job's state in the bit set every converter shares (LMConvertStatus): ready, running
     * (either with paused), then cancelled or finished; a failed job reads finished. isFinished
     * below is the job thread's end, a cancelled job's too.
     */
    int64_t statusType() const;
    bool isStarted() const { return m_started.load(); }
    bool isPaused() const { return m_paused.load(); }
    bool isCanceled() const { return m_cancelled.load(); }
    bool isFinished() const { return m_finished.load(); }
    /** Finished without a usable file (not counting a cancel). */
    bool isFailed() const { return m_failed.load(); }
    QString lastError() const;
    /** The fraction written so far, held at 0.99 or below until the job is finished. */
    double progress() const;
    /** Estimated seconds still needed; updated at most every 2 s. */
    double timeNeedUse() const { return m_timeNeedUse.load(); }
    /** 1-based number of the segment being converted; 0 before the first. */
    int64_t currentMovieIndex() const { return m_currentMovieIndex.load(); }
    /** Pictures composed ahead and not yet written, at most; for diagnostics. */
    int maxPendingPictures() const { return m_maxPendingPictures.load(); }
    /** How the last segment's pictures were written, for diagnostics. */
    enum class PictureMode { None, CopyPackets, PassThrough, Composed };
    PictureMode lastPictureMode() const { return m_lastMode.load(); }

    /** The stream-copy table: can a source codec be copied into this output's container? */
    bool can_copy_codec_id(int32_t codecId, bool isVideo) const;
    static bool acceptCodecCopy(const QString &key);
    /** The movie's pictures need no composing: nothing the frame image would change is set. */
    virtual bool isNoneEditWithMovie(const LMSegmentMovie &segment) const;
    /**
     * isNoneEditWithMovie for the movie itself: no watermark or subtitle, no crop, a zoom that
     * keeps the aspect, and every picture setting within 0.001 of neutral. Any thread that may
     * read the movie's settings.
     */
    static bool isNoneEditMovie(const LMFFMovie &movie);
    /** isNoneEditWithMovie, and a DVD source has no subtitle selected. */
    bool isCanCopyImageForMovie(const LMSegmentMovie &segment) const;

    /**
     * Reads n frames of the movie's mixed audio with the segment's fades (h samples already read
     * of total; fades in samples). Runs on the movie's decode queue.
     */
    static bool readMovie(LMFFMovie &movie,
                          float *buffer,
                          int n,
                          int64_t hasRead,
                          int64_t total,
                          int64_t fadeIn,
                          int64_t fadeOut);
    /**
     * The gain readMovie applies to the block starting at sample hasRead of total: the fade-out
     * ramp, then the fade-in ramp in its place where they overlap; never below 0. Pure.
     */
    static double fadeGain(int64_t hasRead, int64_t total, int64_t fadeIn, int64_t fadeOut);

protected:
    /**
     * Draws one frame image with its edits into a pool bitmap, on the movie's decode queue:
     * LMMovieImage::drawToBitmapImage, the edited picture in one resampling; black without a frame.
     */
    virtual void composeFrameImage(const LMMovieImage &image, LMBitmapImage &bitmap) const;

private:
    struct SegmentRun;

    void updateConverterContent();
    void run();
    bool startMovieOutput();
    void convertSegment(const std::shared_ptr<LMSegmentMovie> &segment, int64_t offset);
    void produce(const std::shared_ptr<SegmentRun> &run);
    void produceOne(SegmentRun &run);
    void schedule(const std::shared_ptr<SegmentRun> &run);
    void write(Reelsmith::detail::ConvertItem &item, int64_t offset);
    void stopMovieOutput();
    void updateConverterStatus();
    void notify(void (LMVideoConverterDelegate::*message)(LMVideoConverter *));
    void setError(const QString &error);

    QList<std::shared_ptr<LMSegmentMovie>> m_movies;
    QString m_path;
    LMFFMovieFileOutputFormat m_format{};
    LMVideoConverterDelegate *m_delegate = nullptr;
    QPointer<QObject> m_receiver;
    bool m_copyImage = true;
    bool m_skipDecodeImage = false;
    bool m_skipDecodeAudio = false;
    bool m_hasVideo = false;
    bool m_hasAudio = false;
    int64_t m_duration = 1;
    int32_t m_poolCacheCount = 5;

    // The job thread's own.
    std::unique_ptr<LMFFMovieFileOutput> m_movieOutput;
    std::unique_ptr<LMCImagePool> m_imagePool;
    std::unique_ptr<Reelsmith::detail::ConvertHandOver> m_handOver;
    std::thread m_thread;

    std::atomic<bool> m_started{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_failed{false};
    std::atomic<int64_t> m_converted{0}; // engine time written, over all segments
    std::atomic<int64_t> m_currentMovieIndex{0};
    std::atomic<int> m_maxPendingPictures{0};
    std::atomic<PictureMode> m_lastMode{PictureMode::None};
    std::atomic<double> m_timeNeedUse{0};
    double m_lastPercentCalculated = 0;
    double m_lastCalculateTime = 0;
    mutable std::mutex m_errorLock;
    QString m_lastError;
};
