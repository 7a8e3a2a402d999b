#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/detail/FFmpegPointers.h"
#include "Reelsmith/media/LMFFStreamOwner.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/media/LMPlacedImage.h"

#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

class LMAssFrame;
class LMFFMediaOwner;
class LMFFMediaStream;
class LMFFPacket;

namespace Reelsmith {
// discwright.reelsmith.demux: packet reading, routing and seeking.
Q_DECLARE_LOGGING_CATEGORY(lcDemux)
} // namespace Reelsmith

/**
 * One opened input placed on a movie's timeline: it owns the LMFFMediaStream objects of one
 * LMMediaSource, chooses which streams are open and enabled, reads packets from the demuxer,
 * routes each to its stream's decoder, and seeks. The movie asks everything of one input through
 * it: the video frame at a time, the next raw packet for stream copy, mixed audio samples, the
 * subtitle image or text at a time, and thumbnails.
 *
 * Times given to the reading calls are in the media's own clock: t means t after the file's start
 * time (LMMediaSource::start_time). At the end of input every decoder is drained once, so the
 * frames a decoder still holds (B-frame delay, audio tail) are delivered, not lost.
 *
 * Threads: a media and its streams belong to the thread that drives them. Until it is given to a
 * movie that is the thread that made it; from LMFFMovie::openMedias on it is that movie's decode
 * queue, and every reading, seeking or selecting call comes from there (checked through the
 * owner). Nothing in it is locked: other threads never read it directly but ask the movie, which
 * publishes a snapshot of what they need. Stream decoders open and close under the codec lock.
 *
 * Held by std::shared_ptr.
 */
class LMFFMedia : public std::enable_shared_from_this<LMFFMedia>, public LMFFStreamOwner
{
public:
    LMFFMedia();
    ~LMFFMedia();
    LMFFMedia(const LMFFMedia &) = delete;
    LMFFMedia &operator=(const LMFFMedia &) = delete;

    /** A media over source with the given stream selection; not opened yet. */
    static std::shared_ptr<LMFFMedia> mediaWithSource(std::shared_ptr<LMMediaSource> source,
                                                      const LMIndexSet &selectStreams
                                                      = std::nullopt);

    /**
     * Same movie_position and selections, over a copy of the source (unopened, its own demuxer).
     * No streams until opened.
     */
    std::shared_ptr<LMFFMedia> copy() const;

    // The owner and the input.
    /** The movie whose timeline holds this media (not owned); null when used alone. */
    LMFFMediaOwner *movie() const override { return m_movie; }
    void setMovie(LMFFMediaOwner *movie) { m_movie = movie; }
    std::shared_ptr<LMMediaSource> source() const { return m_source; }
    void setSource(std::shared_ptr<LMMediaSource> source) { m_source = std::move(source); }

    // The fields below are owned by the media's thread (the decode queue once in a movie).
    /** Engine time: where this media starts on the movie's timeline; set before opening. */
    int64_t movie_position = 0;
    /**
     * Engine time of the last routed packet that carried a timestamp, in the file's own clock
     * (start time included); AV_NOPTS_VALUE after a seek.
     */
    int64_t last_pts;
    /** The movie's current time lies inside this media and it has been sought there. */
    bool isCurrentSynced = false;

    // Selection. std::nullopt opens (or enables) every stream.
    LMIndexSet selectStreams;
    /** Audio track numbers to enable (DVD stream number, or ordinal among open audio streams). */
    LMIndexSet selectAudios;
    /** Subtitle track numbers to enable, likewise. */
    LMIndexSet selectSubtitles;

    /** Opens the source, creates stream objects for container streams that have none, selects. */
    void open();
    /**
     * Re-applies selectStreams, selectAudios and selectSubtitles to the existing streams. Without
     * selectAudios every audio stream is enabled (and mixed), except when the streams are
     * alternatives (startingAudioTrack): then only that one is. A set naming every track still
     * enables them all.
     */
    void updateSelectStreams();
    /**
     * The audio track (ordinal among the streams selectStreams lets through) a clip starts on when
     * its audio streams are alternatives: they carry different languages, or some but not all are
     * marked default, and at least one carries a language. The first marked default, else the
     * first. -1 when they are not alternatives (fewer than two, or no languages).
     */
    int startingAudioTrack() const;

    AVFormatContext *formatContext() const;
    bool isOpen() const { return formatContext() != nullptr; }
    /** The source's start time (engine time). */
    int64_t start_time() const;

    // Streams: one per container stream, in container order; owned by the media.
    const std::vector<std::unique_ptr<LMFFMediaStream>> &streams() const { return m_streams; }
    /** Enabled streams of each kind, in container order. */
    QList<LMFFMediaStream *> audios() const;
    QList<LMFFMediaStream *> videos() const;
    QList<LMFFMediaStream *> subtitles() const;
    /** The last of audios(), the first of videos(), the last of subtitles(); null when none. */
    LMFFMediaStream *audioStream() const;
    LMFFMediaStream *videoStream() const;
    LMFFMediaStream *subtitleStream() const;
    /**
     * The stream object of a container index. An index beyond the known streams opens the media
     * again first (creating objects for streams the demuxer found since); null when still beyond.
     */
    LMFFMediaStream *mediaStreamForStreamIndex(int index);

    bool hasAudio() const;
    /** Some stream is enabled video and the movie does not disable video. */
    bool hasVideo() const;
    bool hasSubtitle() const;

    /** The source's names when it gives them, else the language of each open stream, in order. */
    QStringList audioNames() const;
    QStringList subtitleNames() const;

    LMFFVideoFormat videoFormat() const override;
    float framerate() const;
    double sample_aspect_ratio() const;
    int64_t videoBitrate() const;
    /** All zero when there is no audio stream. */
    LMFFAudioFormat audioFormat() const;
    int64_t audioBitrate() const;
    /** The container's bit rate. */
    int64_t fileBitrate() const;
    /**
     * Rotation in degrees clockwise (0, 90, 180 or 270) of the video stream, read from its display
     * matrix; 0 without video or matrix.
     */
    int videoRotation() const;

    /** The largest duration among enabled audio and video streams (engine time); 0 when unknown. */
    int64_t durationInStreams() const;
    /** durationInStreams, or the source's duration when that is 0. */
    int64_t duration() const;

    // Reading, in the media's own clock.

    /**
     * Seeks every open stream and the demuxer to t, then reads forward until the routed packets
     * reach t (at most 1001 packets) and, for a decoded video stream, until the current picture is
     * the one shown at t: a frame-threaded decoder holds as many pictures as it has threads after
     * the packet of t went in. Failed seeks are retried as the demuxer allows; nothing is
     * reported.
     */
    void seek(int64_t t);

    /** Routes the next packet (a cached video packet first). False only at the end of input. */
    bool forwardNextPacket() { return forwardNextPacketCacheVideo(false); }
    /**
     * Reads and routes one packet; with cacheVideo, video packets wait in the packet cache (up
     * to 16) while audio is read ahead. False at the end of input or on a read error, after the
     * decoders have been drained once.
     */
    bool forwardNextPacketCacheVideo(bool cacheVideo);
    /** Hands a demuxed packet to its stream's decoder (packets of disabled streams are dropped). */
    void forwardPacket(const AVPacket *packet);
    /** Enabled, and not a video stream of a movie that disables video. */
    bool isEnableForwardPacket(const LMFFMediaStream *stream) const;
    /** Reads until the stream has a frame or a raw packet, or 2 s of input passed; false at the end. */
    bool forwardStream(LMFFMediaStream *stream);

    /** The next raw packet of the stream (stream-copy mode), stamped for the timeline; or null. */
    std::shared_ptr<LMFFPacket> readNextPacketInStream(LMFFMediaStream *stream);
    std::shared_ptr<LMFFPacket> readNextVideoPacket();
    std::shared_ptr<LMFFPacket> readNextAudioPacket();

    /**
     * The video stream's current decoded frame after forwarding towards t (at most 10 forwards);
     * null without a video stream. The frame belongs to the stream: valid until its next decode.
     */
    AVFrame *videoFrameAtTime(int64_t t);
    /** Seeks to t, hands the video frame shown at t to block, then seeks back to resume. */
    void thumbnailAtTimeCurrentTimeBlock(int64_t t,
                                         int64_t resume,
                                         const std::function<void(AVFrame *)> &block);

    /** The current bitmap subtitle when t lies inside its display interval; reads nothing. */
    LMPlacedImage subtitleAtTime(int64_t t);
    /** The dialogue text of the current text subtitle at t (forwarding first); null when none. */
    QString subtitleStringAtTime(int64_t t);
    /** The next text subtitle event of subtitleStream, or null at the end. */
    std::shared_ptr<LMAssFrame> readNextSubtitle();
    /** Always null: a media holds no text of its own beside its streams'. */
    QStringList textsFromAVSubtitle(const void * /*subtitle*/) const { return {}; }

    // Audio, in the engine's output format (lm_get_default_audio_format: interleaved stereo float).

    /** k >= 1: the first k audio streams, one block of n frames each; k <= 0: all of them mixed. */
    bool readSampleNbStreamFrame(float *buffer, int k, int n);
    /** Stream number i writes its n frames into the i-th block of n frames of the output format. */
    bool readSampleStreamFrame(float *buffer, const QList<LMFFMediaStream *> &streams, int n);
    /** Adds the sum of every audio stream's n frames to buffer (added to, not overwritten). */
    bool readSampleFrame(float *buffer, int n);
    /**
     * Reads n frames of stream s into buffer, or leaves it untouched (silence) when the decoded
     * audio does not cover the position; the stream's output position advances by n either way.
     * At the end of input the frames still held are delivered and only the rest stays silent.
     */
    void readAudioStreamDataFrame(LMFFMediaStream *stream, float *buffer, int n);

    // The packet cache (video packets held back while audio is read ahead).
    /** Appends a copy of packet (when given); hands back the oldest when pop or 16 are held. */
    std::shared_ptr<LMFFPacket> cacheVideoPacketPop(const AVPacket *packet, bool pop);
    void clearCacheVideoPackets();
    int cachedPacketCount() const { return int(m_cachedPackets.size()); }

    /** True once the end of input was reached since the last seek. */
    bool isEndOfInput() const { return m_endOfInput; }
    /**
     * Where reading stopped (media time) when the input ended well before the duration the file
     * declares, as a truncated or unreadable file does: the last packet read, or the last seek
     * when none was. -1 while reading goes on or when the input ended where the file says.
     */
    int64_t earlyEndTime() const;
    /** The demuxer's answer that ended the input (AVERROR_EOF at a plain end); 0 before. */
    int inputEndResult() const { return m_inputEndResult; }

private:
    void createStreams();
    void assertOwnerThread() const;
    void resetForSeek(int64_t target);
    bool drainDecoders();
    LMFFMediaStream *streamOf(const AVPacket *packet);
    int64_t rescaleToEngine(int64_t value, AVRational timeBase) const;

    LMFFMediaOwner *m_movie = nullptr;
    std::shared_ptr<LMMediaSource> m_source;
    std::vector<std::unique_ptr<LMFFMediaStream>> m_streams;
    std::deque<std::shared_ptr<LMFFPacket>> m_cachedPackets;
    Reelsmith::detail::PacketPtr m_readPacket;
    bool m_endOfInput = false;
    bool m_drained = false;
    // Media time of the last seek, and where the input ended (the last packet read before it).
    int64_t m_seekTime = 0;
    int64_t m_inputEnd = 0;
    int m_inputEndResult = 0;
    // Engine time of the last video key packet routed (the landing check of a seek).
    int64_t m_lastKeyVideoPts = 0;
};
