#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/encode/MuxedFile.h"

#include <QByteArray>
#include <QImage>
#include <QLoggingCategory>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct AVSubtitle;
class LMBitmapImage;
class LMDataImage;
class LMFFAudioResample;
class LMFFImage;
class LMFFImageColorspaceConverter;
class LMFFMedia;

namespace Reelsmith {
// discwright.reelsmith.encode: encoders and muxers of the output files.
Q_DECLARE_LOGGING_CATEGORY(lcEncode)
} // namespace Reelsmith

/**
 * Writes one movie file through FFmpeg: up to one video, one audio and one subtitle stream, each
 * either encoded from the pictures and samples handed in or copied packet by packet from a source
 * stream. The muxer comes from the path; a ".dvd" path gets the DVD program stream (MPEG-2 video,
 * AC-3 audio, constant rate, 2048-byte packs), which is how every DVD title is written.
 *
 * Calling order: setPath, setMovieFormat and (for encoded audio) setAudioInputFormat; open the
 * streams (openVideo or copyVideoMedia, openAudio or copyAudioMedia, optionally openSubtitle);
 * startOutput; any number of writes; stopOutput once. An output writes one file.
 *
 * Failures: a stream that does not open stays closed (isVideoOpen() and the like say so) and the
 * caller decides. A write that fails (a full disk, a broken pipe) is remembered: hasWriteError()
 * turns true and stopOutput() answers false, so a job never reports a damaged file as done.
 * lastError() says why.
 *
 * One thread drives an output from open to stop. Codec opens and closes take the engine-wide
 * codec lock.
 */
class LMFFMovieFileOutput
{
public:
    LMFFMovieFileOutput();
    virtual ~LMFFMovieFileOutput();
    LMFFMovieFileOutput(const LMFFMovieFileOutput &) = delete;
    LMFFMovieFileOutput &operator=(const LMFFMovieFileOutput &) = delete;

    QString path() const { return m_file.path(); }
    void setPath(const QString &path) { m_file.setPath(path); }
    /** What to encode; lm_get_default_movie_file_ouput_format() at creation. */
    LMFFMovieFileOutputFormat movieFormat() const { return m_movieFormat; }
    void setMovieFormat(const LMFFMovieFileOutputFormat &format) { m_movieFormat = format; }
    /** The interleaved samples handed to writeAudioData; the engine default at creation. */
    LMFFAudioFormat audioInputFormat() const { return m_audioInputFormat; }
    void setAudioInputFormat(const LMFFAudioFormat &format) { m_audioInputFormat = format; }

    /** Hooks a subclass may answer otherwise. */
    virtual bool allowUpdateFrameTicks() const { return false; }
    virtual bool isAllowRawDataImageFrame() const { return true; }

    // Queries.
    bool isMovieOpen() const { return m_file.isCreated(); }
    bool isVideoOpen() const { return m_videoStream != nullptr; }
    bool isAudioOpen() const { return m_audioStream != nullptr; }
    bool isSubtitleOpen() const { return m_subtitleStream != nullptr; }
    AVFormatContext *formatContext() const { return m_file.context(); }
    AVStream *videoStream() const { return m_videoStream; }
    AVStream *audioStream() const { return m_audioStream; }
    AVStream *subtitleStream() const { return m_subtitleStream; }
    /** The encoder contexts; null for copied or absent streams. */
    AVCodecContext *videoCodecContext() const { return m_videoContext; }
    AVCodecContext *audioCodecContext() const { return m_audioContext; }
    /** One frame in seconds: {frameTime, framerate}. */
    AVRational movieFrameDuration() const;
    /** The audio encoder's sample format, layout and rate; all zero without one. */
    LMFFAudioFormat outputAudioFormat() const;
    /** The video encoder's pixel format and size; all zero without one. */
    LMFFVideoFormat outputVideoFormat() const;
    /** The next (encoded) or last written (copied) time of each stream, in engine time. */
    int64_t audio_output_time() const;
    int64_t video_output_time() const;
    bool copy_video_stream() const { return m_copyVideo; }
    bool copy_audio_stream() const { return m_copyAudio; }
    /** The muxer's short name; empty before createMovieOutput. */
    QString formatName() const;
    bool isDVDOutput() const;

    /** Some write, the trailer or the close failed; the file is not to be trusted. */
    bool hasWriteError() const { return m_file.hasWriteError(); }
    QString lastError() const { return m_file.lastError(); }

    // Opening.
    /** Makes the file context from the path (once); true when it exists. */
    bool createMovieOutput();
    void openVideo();
    void openAudio();
    /** A subtitle encoder for codecId with header bytes as its subtitle header. */
    void openSubtitle(int32_t codecId, const uint8_t *header, int length);
    /** A stream copying source's packets; null when it cannot be added. */
    AVStream *copyOutputStream(const AVStream *source);
    void copyVideoMedia(const LMFFMedia &media);
    void copyAudioMedia(const LMFFMedia &media);

    /** Opens the file and writes the header; false (lastError says why) when either fails. */
    bool startOutput();
    /**
     * Drains the encoders, writes the trailer, closes codecs and the file. False when anything
     * written to this file failed. Harmless when never started or called twice.
     */
    bool stopOutput();

    // Pictures. Each encodes one frame of movieFrameDuration() unless said otherwise.
    /** A decoded frame, packet or nothing: frame → writeVideoFrame, packet → writeVideoPacket,
     *  null or empty → writeEmptyVideoFrame (nothing while video is copied). */
    void writeImage(const std::shared_ptr<LMFFImage> &image);
    void writeVideoFrame(const AVFrame *frame);
    void writeEmptyVideoFrame();
    void writeBitmapImage(const LMBitmapImage &image);
    /** A drawing surface; duration in ticks of the time base (0 = one frame). */
    void writeCGContext(const QImage &context, int32_t duration = 0);
    void writeLMDataImage(const LMDataImage &image);
    /** The converter's current output frame, lasting duration seconds. */
    void writeVideoFrameDuration(AVRational duration);
    /** A frame already in the encoder's format and size. */
    void writeRawVideoFrame(const AVFrame *frame, AVRational duration);
    QImage createCGContext() const;
    LMFFImageColorspaceConverter *videoConverter() const { return m_videoConverter.get(); }

    // Audio.
    void writeAudioData(const QByteArray &data);
    /** Queues frames of interleaved audioInputFormat samples; encodes every full encoder frame. */
    void writeSample(const uint8_t *samples, int frames);

    // Copied packets.
    void writeVideoPacket(const LMFFImage &packet);
    void writeAudioPacket(const LMFFImage &packet);
    /** Writes a copied packet into stream with its timestamps repaired (never falling). */
    void writeRawPacket(const LMFFImage &packet, AVStream *stream);

    /** Encodes a subtitle whose pts is engine time. */
    void writeSubtitle(const AVSubtitle &subtitle);

private:
    AVStream *openOutputStream(int32_t codecId,
                               AVCodecContext **context,
                               const std::function<void(AVStream *, AVCodecContext *)> &configure);
    void encodeVideoFrame(const AVFrame *frame, AVRational duration);
    bool sendAndWrite(AVCodecContext *context, AVStream *stream, const AVFrame *frame);
    void writePacket(AVPacket *packet, AVStream *stream);
    void fail(const QString &why, int code);
    void closeCodecs();

    Reelsmith::MuxedFile m_file;
    LMFFMovieFileOutputFormat m_movieFormat;
    LMFFAudioFormat m_audioInputFormat;
    std::unique_ptr<LMFFAudioResample> m_resample;
    std::unique_ptr<LMFFImageColorspaceConverter> m_videoConverter;
    AVStream *m_videoStream = nullptr;
    AVStream *m_audioStream = nullptr;
    AVStream *m_subtitleStream = nullptr;
    AVCodecContext *m_videoContext = nullptr;
    AVCodecContext *m_audioContext = nullptr;
    AVCodecContext *m_subtitleContext = nullptr;
    AVFrame *m_audioFrame = nullptr;
    AVPacket *m_packet = nullptr;
    int64_t m_videoPts = 0;
    int64_t m_audioPts = 0;
    bool m_copyVideo = false;
    bool m_copyAudio = false;
    bool m_videoWriteStarted = false;
    bool m_audioWriteStarted = false;
};
