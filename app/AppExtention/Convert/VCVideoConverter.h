#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/convert/LMConvertStatus.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct AVBufferPool;
struct AVFrame;
class LMCImagePool;
class LMFFMovie;
class LMFFMovieFileOutput;
class QObject;
class VCVideoConverterDelegate;

namespace Discwright {
// discwright.app.convert: the clip converter.
Q_DECLARE_LOGGING_CATEGORY(lcClipConvert)
} // namespace Discwright

namespace Reelsmith::detail {
class ConvertHandOver;
struct ConvertItem;
} // namespace Reelsmith::detail

/**
 * Turns one ordered list of edited clips (a title's clips, a menu page's video or its music) into
 * one movie file in one output format: a DVD title stream for production. Every clip is cut into
 * its kept segments (VCMovie::moviesFromTrimMovies), and each segment is read from its trim start
 * for its trim duration onto one continuous output timeline. Pictures are passed to the encoder as
 * decoded when the segment has no edits (pass-through), drawn with the clip's edits into pooled
 * bitmaps otherwise; whole streams are copied packet by packet where the output container takes
 * the source codec and nothing would change the pictures. A clip of a subclass (a menu page video)
 * draws its own pictures: it is always drawn through the clip and only its sound comes from its
 * engine movie.
 *
 * Timing: pictures and samples are counted on the output timeline, not per segment, so a title of
 * many short pieces keeps its sound with its pictures: a segment ending at output time E is
 * written up to the frame and the sample frame that E falls in, whatever the pieces before it
 * left over.
 *
 * The file: written under a hidden temporary name beside path (same folder, same extension) and
 * renamed to path only when the run has finished without a fault; a cancel or a failure leaves
 * nothing at path and removes the temporary file. A file already at path is never replaced (the
 * run fails and says so); the owner removes an old result first.
 *
 * States (statusType, a bit set): 1 ready, 2 paused (with 1 or 4), 4 running, 8 cancelled, 16
 * finished. A run ends in 8 or 16. A run that fails (its output cannot be made or written, or a
 * clip can no longer be read) ends finished without its file: isFailed() and lastError() say so
 * and why, and the owner finds the file missing.
 *
 * Damaged data: a picture the decoder cannot give (or the scaler cannot take) is written as the
 * last good one, and the segment's damaged packets and repeated pictures are counted in the log
 * at warning level; the run goes on. A clip whose file stops well before its declared end (a
 * truncated or unreadable file) fails the run, naming the clip and the time reading stopped.
 *
 * Threads: the owner sets it up on one thread and calls startConvert there; cancel, pause, resume
 * and every query (state, progress, lastError) may come from any thread. The run itself has a
 * thread of its own, which opens, encodes and writes the output; decoding runs on each movie's
 * decode queue and overlaps the encoding (at most 10 pictures ahead). waitUntilFinished blocks the
 * caller until the run has ended: never call it on the main thread. converterDidFinished reaches
 * the delegate by a queued call on the receiver's thread.
 *
 * Held by std::shared_ptr; the run thread keeps the converter alive while it works. A converter
 * makes one run. By default the run decodes from copies of the clips' engine movies with decoders
 * of their own (usesOwnDecoders), so jobs and players never share a decoder.
 */
class VCVideoConverter : public std::enable_shared_from_this<VCVideoConverter>
{
public:
    // statusType bits: the engine's converters use the same.
    static constexpr int64_t kReady = LMConvertStatus::kReady;
    static constexpr int64_t kPaused = LMConvertStatus::kPaused;
    static constexpr int64_t kRunning = LMConvertStatus::kRunning;
    static constexpr int64_t kCancelled = LMConvertStatus::kCancelled;
    static constexpr int64_t kFinished = LMConvertStatus::kFinished;

    // Sample frames of one audio block read from a movie.
    static constexpr int kAudioBlockFrames = 1024;
    // Pictures decoded ahead of the writer, and the bitmaps of the pool.
    static constexpr int kImagePoolSize = 10;

    VCVideoConverter();
    ~VCVideoConverter();
    VCVideoConverter(const VCVideoConverter &) = delete;
    VCVideoConverter &operator=(const VCVideoConverter &) = delete;

    // --- Set-up (owner's thread, before startConvert) -----------------------------------------
    VCMovieList movies() const { return m_movies; }
    void setMovies(const VCMovieList &movies) { m_movies = movies; }
    // The messages go to delegate on receiver's thread; nothing is sent once receiver is gone.
    void setDelegate(VCVideoConverterDelegate *delegate, QObject *receiver);
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    LMFFMovieFileOutputFormat movieOutputFormat() const { return m_format; }
    void setMovieOutputFormat(const LMFFMovieFileOutputFormat &format) { m_format = format; }
    // The segments: moviesFromTrimMovies of movies.
    VCMovieList validMovies() const;
    // The run decodes from movies of its own (movieWithOwnDecoders), one per distinct engine
    // movie, so that a player or another job using the same clips never shares its decoders
    // (true at creation). Off, the run decodes from the clips' own movies, which nothing else
    // may use while it lasts.
    bool usesOwnDecoders() const { return m_ownDecoders; }
    void setUsesOwnDecoders(bool on) { m_ownDecoders = on; }

    // --- Stream copy and pass-through --------------------------------------------------------
    // Unedited segments may pass decoded frames straight to the encoder (true at creation).
    bool copyImage() const { return m_copyImage; }
    void setCopyImage(bool on) { m_copyImage = on; }
    bool skipDecodeImage() const { return m_skipDecodeImage; }
    bool skipDecodeAudio() const { return m_skipDecodeAudio; }
    // Asks for stream copy of the video and the audio; updateConverterContent keeps what it can.
    void updateConverterSpeedFast(bool video, bool audio);
    // Fixes hasAudio, hasVideo, duration and the copy flags from the segments and the path. A
    // ".dvd" stream always carries sound and pictures (silence, black), since the authoring tool
    // takes no title without either.
    void updateConverterContent();
    // The last check before the output opens: a stream is copied only when every segment is
    // unedited, and audio only together with video.
    void updateConverterSpeedMode();
    // Is "<container>:<audio|video>:<codec>" one of the accepted stream copies? Case counts.
    static bool acceptCodecCopy(const QString &key);
    // The key from path's extension (as written), the kind and the codec's engine name.
    bool can_copy_codec_id(int32_t codecId, bool isVideo) const;
    // The movie's settings leave its pictures unchanged (nothing the frame image would change).
    static bool isNoneEditWithMovie(const LMFFMovie &movie);
    // isNoneEditWithMovie, and a DVD source has its subtitle selection set and empty.
    static bool isCanCopyImageForMovie(const VCMovie &segment);

    bool hasAudio() const { return m_hasAudio; }
    bool hasVideo() const { return m_hasVideo; }
    // Sum of the segments' trim durations (engine time); 1 before updateConverterContent.
    int64_t duration() const { return m_duration.load(); }

    // --- The run ----------------------------------------------------------------------------
    // A new run from ready (or ready and paused); a paused run continues. A converter that has
    // ended stays ended.
    void startConvert();
    // Sets the paused bit on a ready or running converter, then sends converterDidPaused.
    void pause();
    // Clears the paused bit, then sends converterDidResume.
    void resume();
    // Stops the run at its next step: nothing is left at path. No effect once ended.
    void cancel();
    // Blocks until the run has ended (cancelled or finished); at once when it never
    // started. Never on the main thread.
    void waitUntilFinished();
    // The same, for at most timeout; true when the run has ended.
    bool waitUntilFinished(std::chrono::milliseconds timeout);

    int64_t statusType() const { return m_status.load(); }
    bool isReady() const { return (statusType() & kReady) != 0; }
    bool isPaused() const { return (statusType() & kPaused) != 0; }
    bool isExecuting() const { return (statusType() & kRunning) != 0; }
    bool isRunning() const { return statusType() == kRunning; }
    bool isCanceled() const { return statusType() == kCancelled; }
    bool isFinished() const { return statusType() == kFinished; }
    // Finished without its file (not a state of its own): lastError says why.
    bool isFailed() const;
    // Cancelled or finished.
    bool isEnded() const;
    // Why the run failed; empty otherwise.
    QString lastError() const;

    // The fraction converted, counted in audio sample frames: at most 0.99 until the run has
    // finished without a fault, 1 then. Any thread.
    double progress() const;
    // Audio sample frames produced so far (the unit of progress).
    int64_t convert_frames() const { return m_convertFrames.load(); }
    // Estimated seconds still needed; renewed at most every 2 s.
    double timeNeedUse() const { return m_timeNeedUse.load(); }
    // 1-based index of the segment being converted; 0 before the first.
    int64_t currentMovieIndex() const { return m_currentMovieIndex.load(); }
    // How the last segment's pictures were written, for diagnostics and tests.
    enum class PictureMode { None, CopyPackets, PassThrough, Composed };
    PictureMode lastPictureMode() const { return m_lastMode.load(); }
    // The most pictures that were decoded ahead of the writer at once.
    int maxPicturesAhead() const { return m_maxPicturesAhead.load(); }

    // Reads n sample frames of the movie's mixed audio into buffer (channels floats each) with a
    // segment's fades: hasRead of total frames already read, fade lengths in sample frames. The
    // gain is fixed for the block; one of 0.99 or more leaves it as read. Decode queue.
    static bool readMovie(LMFFMovie &movie,
                          float *buffer,
                          int n,
                          int channels,
                          int64_t hasRead,
                          int64_t total,
                          int64_t fadeIn,
                          int64_t fadeOut);
    // The gain readMovie applies to the block starting at hasRead.
    static double fadeGain(int64_t hasRead, int64_t total, int64_t fadeIn, int64_t fadeOut);

private:
    struct SegmentRun;
    struct Timeline;

    void run();
    void takeOwnDecoders();
    bool startMovieOutput();
    void startConverting();
    void convertSegment(const VCMovieRef &segment, Timeline &timeline);
    void produce(const std::shared_ptr<SegmentRun> &run);
    bool produceOne(SegmentRun &run);
    // The decoded picture scaled (bicubic) to the encoder's size and format, a frame of its own
    // (or a new reference when it already fits); null without a picture. Decode queue.
    static AVFrame *scaledFrame(SegmentRun &run, const AVFrame *decoded);
    // When the segment's file stopped reading before sourceTime (movie time), fails the run
    // naming the clip and where reading stopped, and answers true. Decode queue.
    bool stoppedReading(SegmentRun &run, int64_t sourceTime);
    bool canProduce(const SegmentRun &run) const;
    void schedule(const std::shared_ptr<SegmentRun> &run);
    void write(Reelsmith::detail::ConvertItem &item, int64_t offset);
    void stopMovieOutput();
    void endRun();
    void updateConverterStatus();
    void fail(const QString &why);
    bool shouldStop() const;
    void notify(void (VCVideoConverterDelegate::*message)(VCVideoConverter *));

    VCMovieList m_movies;
    QString m_path;
    LMFFMovieFileOutputFormat m_format{};
    VCVideoConverterDelegate *m_delegate = nullptr;
    QPointer<QObject> m_receiver;
    // Fixed by the set-up and the opening of the output; queries may come from any thread.
    std::atomic<bool> m_copyImage{true};
    bool m_ownDecoders = true;
    std::atomic<bool> m_skipDecodeImage{false};
    std::atomic<bool> m_skipDecodeAudio{false};
    std::atomic<bool> m_hasAudio{false};
    std::atomic<bool> m_hasVideo{false};
    std::atomic<int64_t> m_duration{1};

    // The segments, fixed by updateConverterContent, and the clip each was cut from; the run
    // thread's own once started.
    VCMovieList m_validMovies;
    VCMovieList m_segmentClips;
    QString m_tempPath;
    std::unique_ptr<LMFFMovieFileOutput> m_movieOutput;
    std::unique_ptr<LMCImagePool> m_imagePool;
    std::unique_ptr<Reelsmith::detail::ConvertHandOver> m_handOver;
    // Buffers of the scaled pass-through pictures, reused: a fresh allocation per frame costs
    // more in page faults than the scaling itself.
    AVBufferPool *m_framePool = nullptr;
    int m_channels = 2;
    int32_t m_sampleRate = 0; // of the samples handed to the output
    std::thread m_thread;

    std::atomic<int64_t> m_status{kReady};
    std::atomic<bool> m_faulted{false};
    std::atomic<int64_t> m_convertFrames{0};
    std::atomic<int64_t> m_progressRate{10000};
    std::atomic<int64_t> m_currentMovieIndex{0};
    std::atomic<PictureMode> m_lastMode{PictureMode::None};
    std::atomic<int> m_maxPicturesAhead{0};
    std::atomic<double> m_timeNeedUse{0};
    double m_lastPercentCalculated = 0;
    double m_lastCalculateTime = 0;

    mutable std::mutex m_endLock;
    std::condition_variable m_endChanged;
    bool m_started = false;
    bool m_ended = false;
    QString m_lastError;
};

using VCVideoConverterRef = std::shared_ptr<VCVideoConverter>;
