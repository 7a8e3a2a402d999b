#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/audio/LMOutputAudioGraphDelegate.h"
#include "Reelsmith/frames/LMPictureSettings.h"
#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/media/LMFFMediaOwner.h"
#include "Reelsmith/media/LMPlacedImage.h"
#include "Reelsmith/movie/SerialQueue.h"

#include <QImage>
#include <QList>
#include <QLoggingCategory>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class LMFFMedia;
class LMFFPacket;
class LMMovieImage;
class LMOutputAudioGraph;

namespace Reelsmith {
// discwright.reelsmith.movie: movie opening, seeks and the decode queue.
Q_DECLARE_LOGGING_CATEGORY(lcMovie)
} // namespace Reelsmith

/**
 * The engine's decoder for one playable movie: an ordered list of medias, each placed at its own
 * position on one timeline, plus an optional external subtitle media. It keeps the movie's clock,
 * runs every decode, seek and audio refill on its own serial decode queue, feeds its audio output,
 * and produces the frame image at a time with its subtitles.
 *
 * The clock: the time of the last seek plus the audio decoded since, less what the output still
 * holds, so it advances as the sound is played out (real time on the silent fallback output).
 * A seek moves the clock at once on the caller's thread and queues its work; that work is skipped
 * when a later seek (or clock update) happened before it ran, so of several quick seeks only the
 * last one reads the input.
 *
 * Threads: the medias, their streams and everything they decode are owned by the movie's serial
 * decode queue; every function marked "decode queue" asserts that it runs there. After each change
 * that queries can see (opening, a new stream, a selection, which medias are current) the queue
 * publishes an immutable snapshot of the facts queries need (the medias, their kinds, sizes,
 * formats, durations, names and selections) under one small lock; the queries read only that
 * snapshot, so they may come from any thread and never wait for a decode. The clock and the
 * switches are atomics. seek() and the queries may come from any thread; the waiting decode calls
 * must not be made on the main thread in product code. Do not destroy a movie from inside one of
 * its own queue operations.
 *
 * Held by std::shared_ptr (or owned by one object).
 */
class LMFFMovie : public LMFFMediaOwner, public LMOutputAudioGraphDelegate
{
public:
    /** The current-time sentinel for decodeImageAtTimeActionWaitUntilDone. */
    static constexpr int64_t kCurrentTime = -800000000000001LL;
    /** Frames of one audio refill (16384 bytes of interleaved stereo float). */
    static constexpr int kRefillFrames = 2048;

    using ImageAction = std::function<void(const std::shared_ptr<LMMovieImage> &)>;
    using PacketAction = std::function<void(const std::shared_ptr<LMFFPacket> &)>;
    using MediaFilter = std::function<bool(const LMFFMedia &)>;

    /** The process-wide library set-up (FFmpeg's log into the engine's log); once, any thread. */
    static void initialize();
    /** FFmpeg's log level to debug (shown when discwright.reelsmith.ffmpeg shows debug). */
    static void open_debug_info();

    LMFFMovie();
    ~LMFFMovie() override;
    LMFFMovie(const LMFFMovie &) = delete;
    LMFFMovie &operator=(const LMFFMovie &) = delete;

    /** Drops the medias, the audio output and the subtitle media (after queued work has run). */
    void close();

    // Opening.
    /**
     * Takes the medias, opens each with this movie as its owner (on the decode queue, waiting),
     * sets the duration to the end of the latest one, creates the audio output, and sizes the frame
     * image to the first media with video. From then on the medias belong to the decode queue.
     */
    void openMedias(const QList<std::shared_ptr<LMFFMedia>> &medias);
    /** Opens path as an external subtitle file; true when it has a subtitle stream and is kept. */
    bool openSubtitle(const QString &path);
    /**
     * Makes media the external subtitle (opening it for this movie when it is not open yet); a
     * media without a subtitle stream is not kept. Null removes the external subtitle.
     */
    void setSubtitle(const std::shared_ptr<LMFFMedia> &media);

    // Queries (any thread): they read the published snapshot.
    QList<std::shared_ptr<LMFFMedia>> medias() const;
    std::shared_ptr<LMFFMedia> subtitle() const;
    std::shared_ptr<LMFFMedia> videoMedia() const;
    std::shared_ptr<LMMovieImage> cachedMovieImage() const { return m_cachedMovieImage; }
    LMOutputAudioGraph *audioOutputGraph() const;

    int64_t duration() const { return m_duration.load(); }
    /** Engine time; see the class comment. */
    int64_t currentTime() const;
    bool hasAudio() const;
    bool hasVideo() const;
    bool hasSubtitle() const;

    QList<std::shared_ptr<LMFFMedia>> audios() const;
    QList<std::shared_ptr<LMFFMedia>> videos() const;
    /** The medias filter accepts; filter runs on the decode queue (this waits, inline from it). */
    QList<std::shared_ptr<LMFFMedia>> filterMedias(const MediaFilter &filter) const;
    static QList<std::shared_ptr<LMFFMedia>>
    mediasFilter(const QList<std::shared_ptr<LMFFMedia>> &medias, const MediaFilter &filter);
    /** The first current (synced) media with video / audio; null when none. */
    std::shared_ptr<LMFFMedia> currentVideoMedia() const;
    std::shared_ptr<LMFFMedia> currentAudioMedia() const;
    /** The first media with video whose interval holds t; null when none. */
    std::shared_ptr<LMFFMedia> videoMediaAtTime(int64_t t) const;
    /** End of the current video media on the timeline; 0 without one. */
    int64_t currentVideoMediaMaxTime() const;

    float framerate() const;
    int64_t videoBitrate() const;
    double sample_aspect_ratio() const;
    LMFFVideoFormat videoFormat() const;
    int32_t videoCodec() const;
    /** All zero without audio. */
    LMFFAudioFormat audioFormat() const;
    int32_t audioCodec() const;
    int64_t audioBitrate() const;
    int64_t fileBitrate() const;
    QSizeF videoSize() const;
    /** Width x sample aspect ratio, to the nearest multiple of 4 (round half up); height as is. */
    QSizeF videoDisplaySize() const;
    /** Counter-clockwise degrees that put the first video upright: a picture turned 90 gives -90. */
    int default_movie_rotate() const;

    QStringList audioStreams() const;
    QStringList subtitleStreams() const;
    std::optional<QSet<int>> selectAudioStreams() const;
    std::optional<QSet<int>> selectSubtitleStreams() const;
    /** Sets the track selection on every media (applied on the decode queue). */
    void setSelectAudioStreams(const std::optional<QSet<int>> &tracks);
    void setSelectSubtitleStreams(const std::optional<QSet<int>> &tracks);

    /** The engine's output format (lm_get_default_audio_format: float, stereo, 44100 Hz). */
    LMFFAudioFormat defaultOutputFormat() const;
    void configOutputFormat(const LMFFAudioFormat &) {}
    bool forward() const { return true; }
    bool onlyPlayOneAudioStream() const { return false; }

    // Switches, set before the first decode.
    bool disableVideo() const override { return m_disableVideo.load(); }
    void setDisableVideo(bool on) { m_disableVideo.store(on); }
    bool exportMovie() const override { return m_exportMovie.load(); }
    void setExportMovie(bool on) { m_exportMovie.store(on); }
    bool copy_video_stream() const override { return m_copyVideoStream.load(); }
    void setCopyVideoStream(bool on) { m_copyVideoStream.store(on); }
    bool copy_audio_stream() const override { return m_copyAudioStream.load(); }
    void setCopyAudioStream(bool on) { m_copyAudioStream.store(on); }
    bool forward_only_key() const override { return m_forwardOnlyKey.load(); }
    void setForwardOnlyKey(bool on) { m_forwardOnlyKey.store(on); }

    /** Gain applied when mixing medias; 1.0 at creation. */
    double volume() const { return m_volume.load(); }
    void setVolume(double volume) { m_volume.store(volume); }
    /** Kept for the owner; never called by the movie. */
    void *delegate() const { return m_delegate; }
    void setDelegate(void *delegate) { m_delegate = delegate; }

    // The clock and seeking.
    /** Moves the clock to t at once and queues the seek of the medias (skipped if superseded). */
    void seek(int64_t t);
    void setCurrentTime(int64_t t) { seek(t); }
    /** Waits until every queued operation has run (returns at once from the queue itself). */
    void flushOperation();
    /** Re-anchors the clock: seek point t, no audio decoded since. */
    void update_current_time_to(int64_t t);
    /** frames of output-rate audio were decoded. */
    void forwardAudioDecodeTime(double frames);
    /** Decode queue: the clock moves by this when no audio packet was left to anchor it. */
    static constexpr int64_t kNoAudioPacketStep = 20000; // 20 ms, one typical audio packet
    /**
     * Seeks each media whose interval holds the clock and that is not synced yet (every such
     * media with force) and marks which are current. Decode queue only.
     */
    void updateCurrentMedias(bool force = false);
    /** Seeks whose work has run (not skipped); for diagnostics. */
    int64_t performedSeekCount() const { return m_performedSeeks.load(); }

    // Playback, forwarded to the audio output.
    void play();
    void pause();
    bool isPlay() const;
    void stop() { pause(); }
    void setRate(float rate);
    float rate() const;
    void setPlayVolume(float volume);
    float playVolume() const;

    // Audio.
    /** From the output's render thread: queues one refill (at most one waits at a time). */
    void decodeMoreAudioDataToAudioOutput() override;
    /** Decode queue: refills when the output holds fewer than kRefillFrames frames. */
    void decodeMoreAudioDataToAudioOutputHelper();
    /** Decode queue: decodes one block of 2048 frames into the output (nothing when exporting). */
    bool decodeAudioToAudioOutput();
    /**
     * Decode queue: k >= 1 reads the first k audio streams of each current media into k blocks of
     * n frames; k <= 0 mixes all of them into one block. Every current media is added, times
     * volume(); the clock counts n frames. False when no current media had sound to read (the
     * block is silence), also past the end of a file's sound.
     */
    bool readSampleNbStreamFrame(float *buffer, int k, int n);
    /**
     * Decode queue: when the media holding movie time t stopped reading well before the end it
     * declares (a truncated or unreadable file) and t lies beyond that point, the movie time where
     * reading stopped; otherwise -1.
     */
    int64_t readingStoppedBefore(int64_t t) const;
    /** Decode queue: packets the decoders of every media refused so far (damaged data). */
    int64_t decodeErrorCount() const;
    bool readSampleFrame(float *buffer, int n) { return readSampleNbStreamFrame(buffer, 0, n); }
    /** Decode queue: the current audio media's next raw packet; re-anchors the clock at it. */
    std::shared_ptr<LMFFPacket> readNextAudioPacket();
    void updateAudioPacketTime(const LMFFPacket *packet);

    // Video.
    /** Runs block on the decode queue (inline from the queue itself); with wait, until done. */
    void decodeImageWaitUntilDone(std::function<void()> block, bool wait);
    /**
     * Decodes the frame at t (kCurrentTime: the clock) on the queue, caches it in the frame image
     * with the subtitles of that time, and calls action with a referenced copy. Without a current
     * video media the frame image holds no frame and action is still called.
     */
    void decodeImageAtTimeActionWaitUntilDone(int64_t t, ImageAction action, bool wait);
    void decodeImageAtTimeAction(int64_t t, ImageAction action)
    {
        decodeImageAtTimeActionWaitUntilDone(t, std::move(action), true);
    }
    /** The frame at the clock, waited for; nothing at all (action not called) while exporting. */
    void decodeCurrentImageWithAction(ImageAction action);
    /** Waits for the current video media's next raw packet (null at the end) and hands it over. */
    void decodeImagePacketWithAction(PacketAction action);
    /**
     * The picture at t fitted into size (aspect kept), or a null image without a picture there.
     * Waits for the queue.
     */
    QImage thumbnailAtTimeSize(int64_t t, const QSizeF &size);
    /** r scaled to fit b, centred: platform::scaleRectIn, the one fitting rule. */
    static QRectF scaleRectIn(const QRectF &r, const QRectF &b);

    // Picture settings of the title. They live on the cached frame image, so every frame handed
    // out carries them; a change of the output size also drops the rendered text subtitle, which
    // was laid out for the old size.
    /** The cached frame image that holds the settings. */
    std::shared_ptr<LMMovieImage> getvVideoEffectStream() const { return m_cachedMovieImage; }
    QRectF cropRect() const;
    void setCropRect(const QRectF &rect);
    /** cropRect as text, "{{x, y}, {w, h}}". */
    QString cropRectString() const;
    void setCropRectString(const QString &text);
    QSizeF outputVideoSize() const;
    void setOutputVideoSize(const QSizeF &size);
    /** outputVideoSize as text, "{w, h}". */
    QString outputVideoSizeString() const;
    void setOutputVideoSizeString(const QString &text);
    QSizeF displaySize() const;
    void setDisplaySize(const QSizeF &size);
    bool hflip() const;
    void setHflip(bool on);
    bool vflip() const;
    void setVflip(bool on);
    float rotate() const;
    void setRotate(float degrees);
    float saturation() const;
    void setSaturation(float value);
    float brightness() const;
    void setBrightness(float value);
    float contrast() const;
    void setContrast(float value);
    float hue() const;
    void setHue(float value);
    float sharpness() const;
    void setSharpness(float value);
    QString effectName() const;
    void setEffectName(const QString &name);
    Reelsmith::imaging::Image watermark() const;
    void setWatermark(const Reelsmith::imaging::Image &image);
    int32_t zoomType() const;
    void setZoomType(int32_t type);
    // The text subtitle's style: each setter also drops the rendered text subtitle.
    std::optional<QFont> subtitleFont() const;
    void setSubtitleFont(const std::optional<QFont> &font);
    QColor subtitleColor() const;
    void setSubtitleColor(const QColor &color);
    QColor subtitleBackgroundColor() const;
    void setSubtitleBackgroundColor(const QColor &color);
    std::optional<LMTextShadow> subtitleShadow() const;
    void setSubtitleShadow(const std::optional<LMTextShadow> &shadow);
    double subtitleBackgroundRadius() const;
    void setSubtitleBackgroundRadius(double radius);
    float subtitlePosition() const;
    void setSubtitlePosition(float position);
    /** Drops the rendered text subtitle so that the next frame renders it anew. */
    void updateSubtitle();

    // LMFFMediaOwner: the medias call these on the decode queue.
    void assertOwnerThread() const override { m_decodeQueue.assertCurrent(); }
    void mediaStreamsChanged(LMFFMedia &) override { publishSnapshot(); }

private:
    // What queries may know of one media, taken on the decode queue.
    struct MediaFacts
    {
        std::shared_ptr<LMFFMedia> media;
        int64_t position = 0;
        int64_t duration = 0;
        bool hasAudio = false;
        bool hasVideoStream = false; // before the movie's disableVideo switch
        bool hasSubtitle = false;
        bool synced = false;
        bool dvd = false;
        LMFFVideoFormat videoFormat{-1, 0, 0};
        float framerate = 0;
        double sampleAspectRatio = 1.0;
        int64_t videoBitrate = 0;
        int32_t videoCodec = 0;
        int rotation = 0;
        LMFFAudioFormat audioFormat{0, 0, 0};
        int32_t audioCodec = 0;
        int64_t audioBitrate = 0;
        int64_t fileBitrate = 0;
        QStringList audioNames;
        QStringList subtitleNames;
        std::optional<QSet<int>> selectAudios;
        std::optional<QSet<int>> selectSubtitles;
    };
    // Immutable once published.
    struct Snapshot
    {
        QList<MediaFacts> medias;
        std::shared_ptr<LMFFMedia> subtitle;
        bool subtitleHasSubtitle = false;
        int videoMedia = -1; // index into medias of the first media with video at opening
    };

    static MediaFacts factsOf(const std::shared_ptr<LMFFMedia> &media);
    std::shared_ptr<const Snapshot> snapshot() const;
    /** Decode queue: takes the facts anew and publishes them. */
    void publishSnapshot();
    bool hasVideo(const MediaFacts &facts) const;
    QList<const MediaFacts *> videoFacts(const Snapshot &snapshot) const;
    const MediaFacts *lastAudioFacts(const Snapshot &snapshot) const;
    const MediaFacts *videoMediaFacts(const Snapshot &snapshot) const;
    std::shared_ptr<LMFFMedia> currentVideoMediaOnQueue() const;
    std::shared_ptr<LMFFMedia> currentAudioMediaOnQueue() const;
    /** Output frames per second and channels (the default output format). */
    static double outputRate();
    static int outputChannels();

    void openAudioOutput();
    void configVideoEffectStream();
    int64_t getMaxMediaDuration() const;
    static bool isInside(const LMFFMedia &media, int64_t time);

    // Owned by the decode queue: the medias and what they decode.
    QList<std::shared_ptr<LMFFMedia>> m_medias;
    std::shared_ptr<LMFFMedia> m_subtitle;
    std::shared_ptr<LMFFMedia> m_videoMedia;

    // The one small lock: it guards the published snapshot and the audio output pointer.
    mutable std::mutex m_publishLock;
    std::shared_ptr<const Snapshot> m_snapshot;
    std::unique_ptr<LMOutputAudioGraph> m_audioOutputGraph;

    // Its own lock guards its insides (see LMMovieImage).

    std::shared_ptr<LMMovieImage> m_cachedMovieImage;
    void *m_delegate = nullptr;
    std::atomic<double> m_volume{1.0};
    std::atomic<bool> m_disableVideo{false};
    std::atomic<bool> m_exportMovie{false};
    std::atomic<bool> m_copyVideoStream{false};
    std::atomic<bool> m_copyAudioStream{false};
    std::atomic<bool> m_forwardOnlyKey{false};

    // The clock: written on the decode queue and by seek() on the caller's thread.
    std::atomic<int64_t> m_seekPoint{0};
    std::atomic<double> m_decodeSamples{0};
    std::atomic<uint64_t> m_clockGeneration{0}; // grows with every re-anchoring
    // The generation of a seek whose old audio is still in the output (0: none). Until the decode
    // queue drops that audio the clock reads the seek point, not the point less what is buffered.
    std::atomic<uint64_t> m_pendingSeek{0};
    std::atomic<int64_t> m_duration{0};
    std::atomic<int64_t> m_performedSeeks{0};
    std::atomic<bool> m_refillQueued{false};

    // Last: destroyed first, after the destructor has run what was queued.
    Reelsmith::detail::SerialQueue m_decodeQueue;
};
