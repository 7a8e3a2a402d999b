#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/detail/FFmpegPointers.h"
#include "Reelsmith/media/LMFFStreamOwner.h"
#include "Reelsmith/media/LMPlacedImage.h"

#include <QLoggingCategory>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <memory>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/rational.h>
}

struct AVStream;
struct AVSubtitle;
class LMAssFrame;
class LMFFAudioResample;
class LMFFPacket;

namespace Reelsmith {
// discwright.reelsmith.decode: stream decoders and subtitles.
Q_DECLARE_LOGGING_CATEGORY(lcDecode)
} // namespace Reelsmith

/**
 * One container stream of an LMFFMedia: opens and closes the stream's decoder (its own
 * AVCodecContext, made from the stream's codec parameters), decodes the packets the media routes
 * to it (send/receive: every frame of a packet is kept) and keeps what the engine reads:
 * - video: the latest decoded picture (frame());
 * - audio: converted samples waiting in the resampler, and the timing of the latest kept frame;
 * - subtitles: the current bitmap subtitle placed in video coordinates (subtitle()) and the
 *   current text event (assFrame());
 * - in stream-copy mode: raw packets (rawPackets).
 *
 * Audio frames that come without a timestamp (the second and later frames of one packet) are
 * placed right after the previous frame, so no audio is dropped or stacked.
 *
 * Owned by its media (std::unique_ptr) and driven by the media's thread: the owning movie's decode
 * queue once the media belongs to a movie. Nothing in it is locked, and nothing in it is read from
 * other threads: the movie publishes what queries need (see LMFFMovie). The stream reaches its
 * media only through LMFFStreamOwner. The decoder opens and closes under the process-wide codec
 * lock.
 */
class LMFFMediaStream
{
public:
    LMFFMediaStream(LMFFStreamOwner *owner, AVStream *stream);
    ~LMFFMediaStream();
    LMFFMediaStream(const LMFFMediaStream &) = delete;
    LMFFMediaStream &operator=(const LMFFMediaStream &) = delete;

    /** The media that holds this stream. */
    LMFFStreamOwner *owner() const { return m_owner; }
    AVStream *stream() const { return m_stream; }
    int streamIndex() const;

    // Owned by the media's thread, like the rest of the stream.
    /** Takes part in reading (set by the media's selection). */
    bool enable = false;
    /** A decode produced a frame since the media last cleared it. */
    bool hasFrame = false;
    /** Audio output position, in samples at the output rate, in the file's clock. */
    int64_t audio_sync_frame = 0;
    /** Engine time: end of the latest decoded audio frame. */
    int64_t last_audio_frame_time = 0;
    /** Packets and frames the decoder refused since it was made (damaged data). */
    int64_t decodeErrors() const { return m_decodeErrors; }
    /**
     * Decoder threads of the video streams opened from now on, process-wide: 0 lets FFmpeg
     * choose (one per core, frame and slice threads). For diagnostics and tests.
     */
    static void setVideoDecodeThreads(int count);
    static int videoDecodeThreads();
    /** Raw packets waiting in stream-copy mode (oldest first). */
    std::deque<std::shared_ptr<LMFFPacket>> rawPackets;

    /**
     * Opens the decoder when there is one (a stream without a decoder, or whose decoder fails to
     * open, stays closed; lastError says why). Cover art (attached pictures) is never opened.
     */
    void open();
    void close();
    bool isOpen() const;

    /** The decoder context; null while closed. */
    AVCodecContext *codecContext() const { return m_codecContext.get(); }
    /** The stream's AVMediaType. */
    int mediaType() const;
    bool isVideo() const;
    bool isAudio() const;
    bool isSubtitle() const;
    bool isValidAudio() const { return false; }
    /** True for a cover-art stream (attached picture). */
    bool isAttachedPicture() const;

    /** The stream's time base, each part raised to at least 1. */
    AVRational timebase() const;
    /** 1 / sample rate of audioFormat (1/1 when there is none). */
    AVRational framebase() const;
    /** 1 / the resampler's output sample rate (1/1 without a resampler). */
    AVRational audioOutputTimebase() const;
    /** The stream's duration in its time base; 0 when absent. */
    int64_t duration() const;
    int64_t bitrate() const;
    int get_codec_id() const;
    /** The decoder's name; "" when there is none. */
    QString codecName() const;

    /**
     * Frames per second: the real frame rate (23.97 and 29.97 for the NTSC rates, else the whole
     * quotient), then the average rate; 30 when neither gives a value in [1, 50].
     */
    float framerate() const;
    int channels() const;
    /** The sample aspect ratio; 1.0 when either part is below 1. */
    double sample_aspect_ratio() const;
    /** Audio: sample format, layout (default layout for the count when unset) and rate. */
    LMFFAudioFormat audioFormat() const;
    /** Video: {pix_fmt, width, height}; {-1, 0, 0} for other streams. */
    LMFFVideoFormat videoFormat() const;

    /** The "language" entry as a display name ("" when none, then the locale's fallback). */
    QString language() const;
    /** The stream metadata's value; a null string when absent. */
    QString getMetadataValueForKey(const QString &key) const;
    /**
     * Rotation in degrees clockwise, normalised to 0..359, from the stream's display matrix
     * (FFmpeg no longer exports a "rotate" tag); 0 without a matrix.
     */
    int getMetadataRotate() const;

    /**
     * Gives a bitmap subtitle stream its 16-colour palette (entries in YCrCb). The colours are
     * converted to RGB, clamped to 0..255, and handed to the decoder through its "palette" option
     * when it opens (so call before open; an open decoder is reopened).
     */
    void fillPalette(const uint32_t *palette);
    /** The RGB colours last given by fillPalette (0xRRGGBB); all zero before. */
    std::array<uint32_t, 16> rgbPalette() const { return m_rgbPalette; }
    /** One YCrCb palette entry as 0xRRGGBB, each component clamped to 0..255. */
    static uint32_t paletteEntryToRGB(uint32_t ycrcb);
    /** The "palette" option text: 16 entries as six hex digits, comma separated. */
    static QString paletteOptionString(const std::array<uint32_t, 16> &rgb);

    // The current frame.
    /** Copies the properties (not the data) of frame, or of a blank frame when null. */
    void copyFrameAttrsToCurrentFrame(const AVFrame *frame);
    /** Moves frame's data references and properties in (frame is left blank), or blanks it. */
    void copyFrameToCurrentFrame(AVFrame *frame);
    /** The current frame, owned by the stream; never null. */
    AVFrame *frame() const { return m_currentFrame.get(); }

    /**
     * Decodes one routed packet, every frame it yields; true when any frame came out. In
     * stream-copy mode the packet is kept raw instead.
     */
    bool decodePacket(const AVPacket *packet);
    /**
     * End of input: drains the decoder so the frames it still holds come out, processed like any
     * other. Video hands out one frame per call (each becomes the current frame in turn), audio
     * all at once. False once nothing is left; the decoder is then ready for new packets.
     */
    bool drain();

    bool hasPacket() const { return !rawPackets.empty(); }
    std::shared_ptr<LMFFPacket> popFirstRawPacket();

    /**
     * ts in the stream's time base: flushes the decoder, blanks the current frame at ts, drops
     * the subtitle image and the raw packets, moves the audio output position to ts and empties
     * the resampler.
     */
    void seek(int64_t ts);

    // Audio output.
    /** Reads n frames from the resampler; true when all n were there. */
    bool readSampleFrame(uint8_t *buffer, int n);
    /** Reads what is held, up to n frames, zeroing the rest; answers the frames read. */
    int readSampleFrameFillSilence(uint8_t *buffer, int n);
    int outputSamples() const;
    /** The resampler's output format; all zero without one. */
    LMFFAudioFormat audioOutputFormat() const;
    int64_t last_audio_frame_end_time() const { return last_audio_frame_time; }
    /** Converts to the current output format with the default layout for n channels. */
    void setAudioResampleChannels(int n);
    LMFFAudioResample *resample() const { return m_resample.get(); }

    // Subtitles.
    /** The current bitmap subtitle, placed in the video's bottom-left-origin coordinates. */
    LMPlacedImage subtitle() const { return m_subtitle; }
    std::shared_ptr<LMAssFrame> assFrame() const { return m_assFrame; }
    void setAssFrame(std::shared_ptr<LMAssFrame> frame) { m_assFrame = std::move(frame); }

    /** Why the decoder did not open (or the last decode error); empty when fine. */
    QString lastError() const { return m_lastError; }

private:
    bool keepRawPacket(const AVPacket *packet);
    bool decodeSubtitlePacket(const AVPacket *packet);
    int receiveFrames(int limit = -1);
    void takeAudioFrame(AVFrame *frame);
    void takeVideoFrame(AVFrame *frame);
    void takeSubtitle(const AVSubtitle &subtitle);
    bool copiesVideo() const;
    bool copiesAudio() const;
    bool onlyKeyPackets() const;

    LMFFStreamOwner *m_owner = nullptr;
    AVStream *m_stream = nullptr;
    Reelsmith::detail::CodecContextPtr m_codecContext; // freed under the codec lock
    int64_t m_decodeErrors = 0;
    Reelsmith::detail::FramePtr m_currentFrame;
    Reelsmith::detail::FramePtr m_decodedFrame;
    std::unique_ptr<LMFFAudioResample> m_resample;
    LMPlacedImage m_subtitle;
    std::shared_ptr<LMAssFrame> m_assFrame;
    bool m_hasPalette = false;
    std::array<uint32_t, 16> m_rgbPalette{};
    // Where the next audio frame starts when it comes without a timestamp (stream time base).
    int64_t m_nextAudioPts = AV_NOPTS_VALUE;
    enum class Drain { None, Draining, Done };
    Drain m_drain = Drain::None;
    QString m_lastError;
};
