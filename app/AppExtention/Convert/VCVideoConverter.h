#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/convert/LMConvertStatus.h"
#include "Reelsmith/convert/LMVideoConverter.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <QLoggingCategory>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>

class LMFFMovie;
class QObject;
class VCVideoConverterDelegate;

namespace Discwright {
// discwright.app.convert: the clip converter.
Q_DECLARE_LOGGING_CATEGORY(lcClipConvert)
} // namespace Discwright

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
 * The engine's LMVideoConverter does the work (scheduler, stream-copy policy, output timeline,
 * states); this class is the application's adapter over it: it cuts the clips into their kept
 * segments, gives the run decoders of its own, lets a menu page video draw its own pictures, and
 * speaks to a delegate of its own kind.
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
    static constexpr int kAudioBlockFrames = LMVideoConverter::kAudioBlockFrames;
    // Pictures decoded ahead of the writer, and the bitmaps of the pool.
    static constexpr int kImagePoolSize = 10;

    VCVideoConverter();
    ~VCVideoConverter();
    VCVideoConverter(const VCVideoConverter &) = delete;
    VCVideoConverter &operator=(const VCVideoConverter &) = delete;

    // --- Set-up (owner's thread, before startConvert) -----------------------------------------
    VCMovieList movies() const { return m_movies; }
    void setMovies(const VCMovieList &movies);
    // The messages go to delegate on receiver's thread; nothing is sent once receiver is gone.
    void setDelegate(VCVideoConverterDelegate *delegate, QObject *receiver);
    QString path() const;
    void setPath(const QString &path);
    LMFFMovieFileOutputFormat movieOutputFormat() const;
    void setMovieOutputFormat(const LMFFMovieFileOutputFormat &format);
    // The segments: moviesFromTrimMovies of movies.
    VCMovieList validMovies() const;
    // The run decodes from movies of its own (movieWithOwnDecoders), one per distinct engine
    // movie, so that a player or another job using the same clips never shares its decoders
    // (true at creation). Off, the run decodes from the clips' own movies, which nothing else
    // may use while it lasts.
    bool usesOwnDecoders() const;
    void setUsesOwnDecoders(bool on);

    // --- Stream copy and pass-through (LMVideoConverter's rules) -----------------------------
    // Unedited segments may pass decoded frames straight to the encoder (true at creation).
    bool copyImage() const;
    void setCopyImage(bool on);
    bool skipDecodeImage() const;
    bool skipDecodeAudio() const;
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
    // isNoneEditWithMovie, and a DVD source has its subtitle selection set and empty; never for
    // a clip that draws its own pictures.
    static bool isCanCopyImageForMovie(const VCMovie &segment);

    bool hasAudio() const;
    bool hasVideo() const;
    // Sum of the segments' trim durations (engine time); 1 before updateConverterContent.
    int64_t duration() const;

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

    int64_t statusType() const;
    bool isReady() const { return (statusType() & kReady) != 0; }
    bool isPaused() const { return (statusType() & kPaused) != 0; }
    bool isExecuting() const { return (statusType() & kRunning) != 0; }
    bool isRunning() const { return statusType() == kRunning; }
    bool isCanceled() const { return statusType() == kCancelled; }
    bool isFinished() const { return statusType() == kFinished; }
    // Finished without its file (not a state of its own): lastError says why.
    bool isFailed() const;
    // Cancelled or finished.
    bool isEnded() const { return LMConvertStatus::isEnded(statusType()); }
    // Why the run failed; empty otherwise.
    QString lastError() const;

    // The fraction converted, counted in audio sample frames: at most 0.99 until the run has
    // finished without a fault, 1 then. Any thread.
    double progress() const;
    // Audio sample frames produced so far (the unit of progress).
    int64_t convert_frames() const;
    // Estimated seconds still needed; renewed at most every 2 s.
    double timeNeedUse() const;
    // 1-based index of the segment being converted (empty ones counted); 0 before the first.
    int64_t currentMovieIndex() const;
    // How the last segment's pictures were written, for diagnostics and tests.
    using PictureMode = LMVideoConverter::PictureMode;
    PictureMode lastPictureMode() const;
    // The most pictures that were decoded ahead of the writer at once.
    int maxPicturesAhead() const;

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
    class Engine;

    VCMovieList m_movies;
    const std::shared_ptr<Engine> m_engine;
};

using VCVideoConverterRef = std::shared_ptr<VCVideoConverter>;
