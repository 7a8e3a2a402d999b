#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/convert/LMConvertStatus.h"

#include <QList>
#include <QLoggingCategory>
#include <QPointer>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct AVBufferPool;
struct AVFrame;
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
 * Converts an ordered list of movie segments into one output file: the one converter of the
 * engine and of the application (whose clip converter is an adapter over it). Per run it decides
 * whether the picture and sound can be copied packet by packet (no quality loss), whether decoded
 * frames can be written as they are (no edits: they are scaled straight into the encoder's
 * format), or whether every frame has to be composed with the clip's edits first.
 *
 * Timing: pictures and samples are counted on the output timeline (LMOutputTimeline), not per
 * segment, so a title of many short pieces keeps its sound with its pictures.
 *
 * States (statusType, the bit set of LMConvertStatus): ready, running (either with paused), then
 * cancelled or finished. isFinished is the finished state only: a cancelled job is cancelled, not
 * finished; isEnded is either. A job that fails (its output cannot be made or written, or a
 * segment's file can no longer be read) ends finished without its file: isFailed() and
 * lastError() say so and why.
 *
 * Damaged data: a picture the decoder cannot give (or the scaler cannot take) is written as the
 * last good one, and the segment's damaged packets and repeated pictures are counted in the log
 * at warning level; the job goes on.
 *
 * Threads: the owner sets the job up on one thread and starts it there; pause, resume, cancel and
 * every query (state, progress, lastError) may come from any thread. The job runs on a thread of
 * its own, which encodes and writes. Every read of a movie (pictures, packets, samples) runs on
 * that movie's decode queue and hands its result over through a small bounded list, so decoding
 * the next frames overlaps encoding this one, and decoding never runs more than pool_cache_count
 * pictures ahead. Delegate messages arrive on the receiver's thread.
 *
 * The segment seam: the protected virtuals below are how a segment is switched, moved, asked for
 * a picture and named; a subclass whose segments draw their own pictures overrides them.
 *
 * Held by std::shared_ptr (the job thread keeps it alive while it runs). A converter runs once.
 */
class LMVideoConverter : public std::enable_shared_from_this<LMVideoConverter>
{
public:
    using SegmentRef = std::shared_ptr<LMSegmentMovie>;
    using SegmentList = QList<SegmentRef>;
    using MovieImageAction = std::function<void(const std::shared_ptr<LMMovieImage> &)>;

    // Sample frames of one audio block read from a movie.
    static constexpr int kAudioBlockFrames = 1024;

    // Where the result goes.
    enum class Placement {
        // An old file at path is removed first and the job writes at path (through a link to the
        // file it points to); a failed or cancelled job removes what it wrote.
        ReplaceAtPath,
        // Written under a hidden name beside path and renamed to path only when complete; a file
        // already at path is never replaced (the job fails and says so).
        BesideThenRename,
    };

    LMVideoConverter();
    virtual ~LMVideoConverter();
    LMVideoConverter(const LMVideoConverter &) = delete;
    LMVideoConverter &operator=(const LMVideoConverter &) = delete;

    // --- Set-up (owner's thread, before startConvert) -----------------------------------------
    SegmentList movies() const { return m_movies; }
    void setMovies(const SegmentList &movies) { m_movies = movies; }
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    LMFFMovieFileOutputFormat movieOutputFormat() const { return m_format; }
    void setMovieOutputFormat(const LMFFMovieFileOutputFormat &format) { m_format = format; }
    /** Messages go to delegate on receiver's thread; nothing is sent once receiver is gone. */
    void setDelegate(LMVideoConverterDelegate *delegate, QObject *receiver);
    /** Allow writing decoded frames without composing them (true at creation). */
    bool copyImage() const { return m_copyImage.load(); }
    void setCopyImage(bool on) { m_copyImage = on; }
    int32_t pool_cache_count() const { return m_poolCacheCount; }
    void setPool_cache_count(int32_t count) { m_poolCacheCount = std::max(1, count); }
    Placement placement() const { return m_placement; }
    void setPlacement(Placement placement) { m_placement = placement; }
    /** The segments of the run, fixed by updateConverterContent. */
    SegmentList validMovies() const { return m_segments; }

    // --- Stream copy and pass-through --------------------------------------------------------
    /** Asks for stream copy of the video and the audio; the run keeps what it can. */
    void updateConverterSpeedFast(bool video, bool audio);
    bool skipDecodeImage() const { return m_skipDecodeImage.load(); }
    bool skipDecodeAudio() const { return m_skipDecodeAudio.load(); }
    bool hasVideo() const { return m_hasVideo.load(); }
    bool hasAudio() const { return m_hasAudio.load(); }
    /** Total of the segments' durations (engine time); 1 before the run is prepared. */
    int64_t duration() const { return m_duration.load(); }
    /**
     * Fixes the segments, hasAudio, hasVideo, duration and the copy flags from the movies and the
     * path. A ".dvd" stream always carries sound and pictures (silence, black), since the
     * authoring tool takes no title without either. Runs again at startConvert.
     */
    void updateConverterContent();
    /**
     * The last check before the output opens: a stream is copied only when every segment is
     * unedited, and audio only together with video.
     */
    void updateConverterSpeedMode();
    /** The stream-copy table: is "<container>:<audio|video>:<codec>" accepted? Case counts. */
    static bool acceptCodecCopy(const QString &key);
    /** The key from path's extension (as written), the kind and the codec's engine name. */
    bool can_copy_codec_id(int32_t codecId, bool isVideo) const;
    /** The movie's pictures need no composing: nothing the frame image would change is set. */
    virtual bool isNoneEditWithMovie(const LMSegmentMovie &segment) const;
    /**
     * isNoneEditWithMovie for the movie itself: no watermark or subtitle, no crop, a zoom that
     * keeps the aspect, and every picture setting within 0.001 of neutral. Any thread that may
     * read the movie's settings.
     */
    static bool isNoneEditMovie(const LMFFMovie &movie);
    /** isNoneEditWithMovie, and a DVD source has no subtitle selected; never for a segment that
     *  draws its own pictures. */
    bool isCanCopyImageForMovie(const LMSegmentMovie &segment) const;
    /** isNoneEditMovie, and a DVD source has its subtitle selection set and empty. */
    static bool canPassThroughMovie(const LMFFMovie &movie);

    // --- The run ----------------------------------------------------------------------------
    /**
     * A new run from ready (or ready and paused); a paused run continues. A job that has ended
     * stays ended; one cancelled before it started ends at once without writing anything.
     */
    void startConvert();
    /** Sets the paused bit on a ready or running job, then sends converterDidPaused. */
    void pause();
    /** Clears the paused bit, then sends converterDidResume. */
    void resume();
    /** Stops the job at its next step: nothing is left at path. No effect once ended. */
    void cancel();
    /** Waits until the job has ended; at once when it never started. Never on the main loop. */
    void waitUntilFinished();
    /** The same, for at most timeout; true when the job has ended. */
    bool waitUntilFinished(std::chrono::milliseconds timeout);

    int64_t statusType() const { return m_status.load(); }
    bool isReady() const { return (statusType() & LMConvertStatus::kReady) != 0; }
    bool isStarted() const;
    bool isPaused() const { return (statusType() & LMConvertStatus::kPaused) != 0; }
    bool isExecuting() const { return (statusType() & LMConvertStatus::kRunning) != 0; }
    bool isRunning() const { return statusType() == LMConvertStatus::kRunning; }
    bool isCanceled() const { return statusType() == LMConvertStatus::kCancelled; }
    bool isFinished() const { return statusType() == LMConvertStatus::kFinished; }
    /** Cancelled or finished. */
    bool isEnded() const { return LMConvertStatus::isEnded(statusType()); }
    /** Finished without a usable file (not counting a cancel). */
    bool isFailed() const;
    QString lastError() const;
    /**
     * The fraction converted, counted in audio sample frames: at most 0.99 until the job has
     * finished without a fault, 1 then.
     */
    double progress() const;
    /** Audio sample frames produced so far (the unit of progress). */
    int64_t convert_frames() const { return m_convertFrames.load(); }
    /** Estimated seconds still needed; updated at most every 2 s. */
    double timeNeedUse() const { return m_timeNeedUse.load(); }
    /** 1-based number of the segment being converted; 0 before the first. */
    int64_t currentMovieIndex() const { return m_currentMovieIndex.load(); }
    /** Pictures composed ahead and not yet written, at most; for diagnostics. */
    int maxPendingPictures() const { return m_maxPendingPictures.load(); }
    /** How the last segment's pictures were written, for diagnostics. */
    enum class PictureMode { None, CopyPackets, PassThrough, Composed };
    PictureMode lastPictureMode() const { return m_lastMode.load(); }

    /**
     * Reads n frames of the movie's mixed audio (channels floats each; stereo without the count)
     * with the segment's fades (hasRead sample frames already read of total; fades in sample
     * frames). The gain is fixed for the block; one of 0.99 or more leaves it as read. Runs on the
     * movie's decode queue.
     */
    static bool readMovie(LMFFMovie &movie,
                          float *buffer,
                          int n,
                          int64_t hasRead,
                          int64_t total,
                          int64_t fadeIn,
                          int64_t fadeOut);
    static bool readMovie(LMFFMovie &movie,
                          float *buffer,
                          int n,
                          int channels,
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
    enum class Message { Finished, Paused, Resumed };

    // --- The segment seam (defaults: the segment's engine movie) -----------------------------
    /** The segments of movies (owner's thread, from updateConverterContent). */
    virtual SegmentList segmentsOf(const SegmentList &movies) { return movies; }
    /** The job thread's chance to swap the segments' movies before the output opens. */
    virtual void prepareRunSegments(SegmentList & /*segments*/) {}
    /** The segment draws its own pictures: always composed through it, never copied. */
    virtual bool drawsOwnPictures(const LMSegmentMovie & /*segment*/) const { return false; }
    virtual bool segmentHasAudio(const LMSegmentMovie &segment) const;
    virtual bool segmentHasVideo(const LMSegmentMovie &segment) const;
    /** At a segment's set-up, before it is moved to its start. Job thread. */
    virtual void prepareSegment(LMSegmentMovie & /*segment*/) {}
    virtual void setSegmentExport(LMSegmentMovie &segment, bool exportMovie);
    virtual void seekSegment(LMSegmentMovie &segment, int64_t time);
    virtual void flushSegment(LMSegmentMovie &segment);
    /** The frame at time handed to action on the decode queue (with wait, done on return). */
    virtual void decodeSegmentImage(LMSegmentMovie &segment,
                                    int64_t time,
                                    const MovieImageAction &action,
                                    bool wait);
    /** The segment's file name, as the messages name it. */
    virtual QString clipName(const LMSegmentMovie &segment) const;
    /** Sends a delegate message (default: to the delegate on its receiver's thread). */
    virtual void notify(Message message);
    /** Kept alive by the job thread along with the converter while it runs. */
    virtual std::shared_ptr<void> runKeepAlive() { return nullptr; }

    // currentMovieIndex counts empty segments as well (the clip converter's owner counts its
    // list's places); off, only the segments that are converted.
    bool m_indexCountsEmptySegments = false;

private:
    struct SegmentRun;
    struct Timeline;

    void run();
    bool startMovieOutput();
    bool openResultFile();
    void startConverting();
    void convertSegment(const SegmentRef &segment, Timeline &timeline);
    void produce(const std::shared_ptr<SegmentRun> &run);
    bool produceOne(SegmentRun &run);
    static AVFrame *scaledFrame(SegmentRun &run, const AVFrame *decoded);
    bool stoppedReading(SegmentRun &run, int64_t sourceTime);
    bool canProduce(const SegmentRun &run) const;
    void schedule(const std::shared_ptr<SegmentRun> &run);
    void write(Reelsmith::detail::ConvertItem &item, int64_t offset);
    void stopMovieOutput();
    void endRun();
    void updateConverterStatus();
    void fail(const QString &why);
    bool shouldStop() const;

    SegmentList m_movies;
    QString m_path;
    LMFFMovieFileOutputFormat m_format{};
    LMVideoConverterDelegate *m_delegate = nullptr;
    QPointer<QObject> m_receiver;
    Placement m_placement = Placement::ReplaceAtPath;
    int32_t m_poolCacheCount = 5;
    // Fixed by the set-up and the opening of the output; queries may come from any thread.
    std::atomic<bool> m_copyImage{true};
    std::atomic<bool> m_skipDecodeImage{false};
    std::atomic<bool> m_skipDecodeAudio{false};
    std::atomic<bool> m_hasVideo{false};
    std::atomic<bool> m_hasAudio{false};
    std::atomic<int64_t> m_duration{1};

    // The job thread's own once started.
    SegmentList m_segments;
    QString m_writePath; // where the output writes: path, or the hidden file beside it
    std::unique_ptr<LMFFMovieFileOutput> m_movieOutput;
    std::unique_ptr<LMCImagePool> m_imagePool;
    std::unique_ptr<Reelsmith::detail::ConvertHandOver> m_handOver;
    // Buffers of the scaled pass-through pictures, reused: a fresh allocation per frame costs
    // more in page faults than the scaling itself.
    AVBufferPool *m_framePool = nullptr;
    int m_channels = 2;
    int32_t m_sampleRate = 0; // of the samples handed to the output
    std::thread m_thread;

    std::atomic<int64_t> m_status{LMConvertStatus::kReady};
    std::atomic<bool> m_faulted{false};
    std::atomic<int64_t> m_convertFrames{0};
    std::atomic<int64_t> m_progressRate{10000};
    std::atomic<int64_t> m_currentMovieIndex{0};
    std::atomic<int> m_maxPendingPictures{0};
    std::atomic<PictureMode> m_lastMode{PictureMode::None};
    std::atomic<double> m_timeNeedUse{0};
    double m_lastPercentCalculated = 0;
    double m_lastCalculateTime = 0;

    mutable std::mutex m_endLock;
    std::condition_variable m_endChanged;
    bool m_started = false;
    bool m_ended = false;
    QString m_lastError;
};
