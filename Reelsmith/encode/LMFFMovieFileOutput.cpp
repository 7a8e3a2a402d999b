#include "Reelsmith/encode/LMFFMovieFileOutput.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/audio/LMFFAudioResample.h"
#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LMCodecLock.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMDataImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMFFImageColorspaceConverter.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcEncode, "discwright.reelsmith.encode", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcEncode;
using Reelsmith::detail::kEngineTimeBase;

namespace {

// The DVD program stream: 2048-byte packs at the DVD's 10.08 Mbit/s mux rate, and the VBV
// buffer the DVD players have (224 KiB).
constexpr int kDvdPacketSize = 2048;
constexpr const char *kDvdMuxRate = "10080000";
constexpr int kDvdBufferBits = 1835008;
constexpr int kSubtitleBufferSize = 12288;

} // namespace

LMFFMovieFileOutput::LMFFMovieFileOutput()
    : m_movieFormat(lm_get_default_movie_file_ouput_format())
    , m_audioInputFormat(lm_get_default_audio_format())
    , m_resample(std::make_unique<LMFFAudioResample>())
    , m_videoConverter(std::make_unique<LMFFImageColorspaceConverter>())
    , m_packet(av_packet_alloc())
{}

LMFFMovieFileOutput::~LMFFMovieFileOutput()
{
    // Releasing an output does not finish the file; it only frees what is still held.
    closeCodecs();
    av_frame_free(&m_audioFrame);
    av_packet_free(&m_packet);
}

void LMFFMovieFileOutput::fail(const QString &why, int code)
{
    m_file.fail(why, code);
}

AVRational LMFFMovieFileOutput::movieFrameDuration() const
{
    return AVRational{m_movieFormat.frameTime, m_movieFormat.framerate};
}

LMFFAudioFormat LMFFMovieFileOutput::outputAudioFormat() const
{
    if (!m_audioContext)
        return LMFFAudioFormat{0, 0, 0};
    const AVChannelLayout &layout = m_audioContext->ch_layout;
    int64_t mask = layout.order == AV_CHANNEL_ORDER_NATIVE
                       ? int64_t(layout.u.mask)
                       : lm_get_default_channel_layout(layout.nb_channels);
    return LMFFAudioFormat{m_audioContext->sample_fmt, mask, m_audioContext->sample_rate};
}

LMFFVideoFormat LMFFMovieFileOutput::outputVideoFormat() const
{
    if (!m_videoContext)
        return LMFFVideoFormat{0, 0, 0};
    return LMFFVideoFormat{m_videoContext->pix_fmt, m_videoContext->width, m_videoContext->height};
}

int64_t LMFFMovieFileOutput::audio_output_time() const
{
    if (!m_audioStream)
        return 0;
    const AVRational base
        = m_copyAudio || !m_audioContext ? m_audioStream->time_base : m_audioContext->time_base;
    return av_rescale_q(m_audioPts, base, kEngineTimeBase);
}

int64_t LMFFMovieFileOutput::video_output_time() const
{
    if (!m_videoStream)
        return 0;
    const AVRational base
        = m_copyVideo || !m_videoContext ? m_videoStream->time_base : m_videoContext->time_base;
    return av_rescale_q(m_videoPts, base, kEngineTimeBase);
}

QString LMFFMovieFileOutput::formatName() const
{
    return m_file.context() ? QString::fromLatin1(m_file.context()->oformat->name) : QString();
}

bool LMFFMovieFileOutput::isDVDOutput() const
{
    return formatName() == u"dvd";
}

bool LMFFMovieFileOutput::createMovieOutput()
{
    return m_file.create();
}

AVStream *LMFFMovieFileOutput::openOutputStream(
    int32_t codecId,
    AVCodecContext **contextOut,
    const std::function<void(AVStream *, AVCodecContext *)> &configure)
{
    const AVCodec *codec = nullptr;
    if (codecId == AV_CODEC_ID_H264)
        codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        codec = avcodec_find_encoder(AVCodecID(codecId));
    if (!codec) {
        fail(QStringLiteral("no encoder for codec %1").arg(avcodec_get_name(AVCodecID(codecId))),
             0);
        return nullptr;
    }
    AVStream *stream = avformat_new_stream(m_file.context(), nullptr);
    if (!stream) {
        fail(QStringLiteral("cannot add a stream"), 0);
        return nullptr;
    }
    stream->id = int(m_file.context()->nb_streams);
    AVCodecContext *context = avcodec_alloc_context3(codec);
    if (!context)
        return nullptr;
    if (m_file.context()->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL)
        context->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    configure(stream, context);

    int result;
    {
        LMCodecLocker locked;
        result = avcodec_open2(context, codec, nullptr);
    }
    if (result < 0) {
        fail(QStringLiteral("cannot open the %1 encoder").arg(codec->name), result);
        LMCodecLocker locked;
        avcodec_free_context(&context);
        return nullptr;
    }
    avcodec_parameters_from_context(stream->codecpar, context);
    // The muxer reads the rate-control buffer from the stream (the DVD muxer sizes its packs and
    // the player's buffer by it); the encoder only publishes it on its own context.
    for (int i = 0; i < context->nb_coded_side_data; ++i) {
        const AVPacketSideData &side = context->coded_side_data[i];
        if (uint8_t *data = av_stream_new_side_data(stream, side.type, side.size))
            std::memcpy(data, side.data, side.size);
    }
    *contextOut = context;
    return stream;
}

void LMFFMovieFileOutput::openVideo()
{
    if (!createMovieOutput() || m_videoStream)
        return;
    const QString muxer = formatName();
    int32_t codecId = m_movieFormat.video_codec;
    if (codecId == 0 && (muxer == u"matroska" || muxer == u"mov"))
        codecId = lm_get_codec_id_by_name(QStringLiteral("h264"));
    if (codecId == 0)
        codecId = m_file.context()->oformat->video_codec;
    const bool dvd = muxer == u"dvd";
    const LMFFMovieFileOutputFormat format = m_movieFormat;
    const bool ticks = allowUpdateFrameTicks();

    m_videoStream
        = openOutputStream(codecId, &m_videoContext, [&](AVStream *stream, AVCodecContext *c) {
              c->codec_id = AVCodecID(codecId);
              c->bit_rate = format.video_bitrate;
              c->width = format.width;
              c->height = format.height;
              c->pix_fmt = c->codec->pix_fmts ? c->codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
              c->time_base = AVRational{format.frameTime, format.framerate};
              c->framerate = AVRational{format.framerate, format.frameTime};
              stream->time_base = c->time_base;
              stream->avg_frame_rate = c->framerate;
              if (format.aspect != 0 && format.width > 0) {
                  const float ratio = format.aspect * float(format.height) / float(format.width);
                  c->sample_aspect_ratio = av_d2q(ratio, 255);
                  stream->sample_aspect_ratio = c->sample_aspect_ratio;
              }
              if (c->time_base.num == 1 && c->time_base.den == 6000 && ticks)
                  c->ticks_per_frame = 200;
              c->gop_size = 12;
              // FFmpeg's own threads: slices for MPEG-2, frames for x264. Output bytes depend on the
              // count, so compare encodes only at a fixed one.
              c->thread_count = 0;
              switch (c->codec_id) {
              case AV_CODEC_ID_MPEG1VIDEO:
              case AV_CODEC_ID_MPEG2VIDEO:
              case AV_CODEC_ID_MSMPEG4V3:
                  c->mb_decision = FF_MB_DECISION_RD;
                  break;
              case AV_CODEC_ID_H264:
                  av_opt_set(c->priv_data, "preset", "fast", 0);
                  av_opt_set(c->priv_data, "profile", "main", 0);
                  break;
              default:
                  break;
              }
              if (dvd) {
                  c->pix_fmt = AV_PIX_FMT_YUV420P;
                  c->gop_size = format.framerate == 25 ? 15 : 18;
                  c->rc_max_rate = c->bit_rate;
                  c->rc_min_rate = c->bit_rate;
                  c->rc_buffer_size = kDvdBufferBits;
                  m_file.context()->packet_size = kDvdPacketSize;
              }
          });
    if (m_videoStream && dvd) {
        // The DVD muxer's own option: without the child search it is "not found" and the muxer
        // derives a rate of its own.
        av_opt_set(m_file.context(), "muxrate", kDvdMuxRate, AV_OPT_SEARCH_CHILDREN);
    }
}

void LMFFMovieFileOutput::openAudio()
{
    if (!createMovieOutput() || m_audioStream)
        return;
    int32_t codecId = m_movieFormat.audio_codec;
    // The DVD muxer would pick MP2, which NTSC discs may not carry; every DVD title gets AC-3.
    if (codecId == 0 && isDVDOutput())
        codecId = AV_CODEC_ID_AC3;
    if (codecId == 0)
        codecId = m_file.context()->oformat->audio_codec;
    const LMFFMovieFileOutputFormat format = m_movieFormat;
    m_audioStream
        = openOutputStream(codecId, &m_audioContext, [&](AVStream *stream, AVCodecContext *c) {
              c->sample_fmt = c->codec->sample_fmts ? c->codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
              c->bit_rate = format.audio_bitrate;
              c->sample_rate = format.sample_rate;
              av_channel_layout_uninit(&c->ch_layout);
              av_channel_layout_from_mask(&c->ch_layout, uint64_t(format.channel_layout));
              // The pts counts samples.
              c->time_base = AVRational{1, format.sample_rate > 0 ? format.sample_rate : 1};
              stream->time_base = c->time_base;
          });
}

void LMFFMovieFileOutput::openSubtitle(int32_t codecId, const uint8_t *header, int length)
{
    if (!createMovieOutput() || m_subtitleStream)
        return;
    // The SSA encoder carries the ASS codec id; there is no encoder for the SSA id itself.
    if (codecId == AV_CODEC_ID_SSA)
        codecId = AV_CODEC_ID_ASS;
    m_subtitleStream
        = openOutputStream(codecId, &m_subtitleContext, [&](AVStream *stream, AVCodecContext *c) {
              if (header && length > 0) {
                  c->subtitle_header = static_cast<uint8_t *>(av_mallocz(size_t(length) + 1));
                  if (c->subtitle_header) {
                      std::memcpy(c->subtitle_header, header, size_t(length));
                      c->subtitle_header_size = length;
                  }
              }
              c->time_base = AVRational{1, 1000};
              stream->time_base = c->time_base;
          });
}

AVStream *LMFFMovieFileOutput::copyOutputStream(const AVStream *source)
{
    if (!source || !source->codecpar || !createMovieOutput())
        return nullptr;
    AVStream *stream = m_file.addCopiedStream(source);
    if (!stream)
        return nullptr;
    if (source->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
        m_audioStream = stream;
        m_copyAudio = true;
    } else if (source->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        m_videoStream = stream;
        m_copyVideo = true;
    }
    return stream;
}

void LMFFMovieFileOutput::copyVideoMedia(const LMFFMedia &media)
{
    if (const LMFFMediaStream *stream = media.videoStream())
        copyOutputStream(stream->stream());
}

void LMFFMovieFileOutput::copyAudioMedia(const LMFFMedia &media)
{
    if (const LMFFMediaStream *stream = media.audioStream())
        copyOutputStream(stream->stream());
}

bool LMFFMovieFileOutput::startOutput()
{
    if (m_file.isCreated() && !m_file.isStarted()) {
        if (m_audioContext)
            m_resample->convertFormatTo(m_audioInputFormat, outputAudioFormat());
        if (m_videoContext)
            m_videoConverter->setOutputFormat(outputVideoFormat());
    }
    return m_file.start();
}

void LMFFMovieFileOutput::writePacket(AVPacket *packet, AVStream *stream)
{
    m_file.write(packet, stream);
}

bool LMFFMovieFileOutput::sendAndWrite(AVCodecContext *context,
                                       AVStream *stream,
                                       const AVFrame *frame)
{
    if (!context || !stream)
        return false;
    int result = avcodec_send_frame(context, frame);
    if (result < 0 && result != AVERROR_EOF)
        return false;
    bool wrote = false;
    for (;;) {
        result = avcodec_receive_packet(context, m_packet);
        if (result < 0)
            break;
        av_packet_rescale_ts(m_packet, context->time_base, stream->time_base);
        writePacket(m_packet, stream);
        av_packet_unref(m_packet);
        wrote = true;
    }
    return wrote;
}

void LMFFMovieFileOutput::encodeVideoFrame(const AVFrame *frame, AVRational duration)
{
    if (!m_videoStream || !m_videoContext || m_copyVideo || !frame || !frame->data[0])
        return;
    AVFrame *shallow = av_frame_alloc();
    if (!shallow)
        return;
    // Only the timestamp differs from the picture. A reference-counted picture is shared; the
    // converter's own buffer is not, so the encoder copies it when it needs to keep it.
    if (frame->buf[0]) {
        if (av_frame_ref(shallow, frame) < 0) {
            av_frame_free(&shallow);
            return;
        }
    } else {
        shallow->format = frame->format;
        shallow->width = frame->width;
        shallow->height = frame->height;
        for (int i = 0; i < AV_NUM_DATA_POINTERS; ++i) {
            shallow->data[i] = frame->data[i];
            shallow->linesize[i] = frame->linesize[i];
        }
    }
    shallow->pts = m_videoPts;
    shallow->pict_type = AV_PICTURE_TYPE_NONE;
    shallow->sample_aspect_ratio = m_videoContext->sample_aspect_ratio;
    m_videoPts += std::max<int64_t>(1, av_rescale_q(1, duration, m_videoContext->time_base));
    sendAndWrite(m_videoContext, m_videoStream, shallow);
    av_frame_free(&shallow);
}

void LMFFMovieFileOutput::writeRawVideoFrame(const AVFrame *frame, AVRational duration)
{
    encodeVideoFrame(frame, duration);
}

void LMFFMovieFileOutput::writeVideoFrameDuration(AVRational duration)
{
    if (m_videoConverter->isOutputEmpty())
        return;
    encodeVideoFrame(m_videoConverter->outputFrame(), duration);
}

void LMFFMovieFileOutput::writeVideoFrame(const AVFrame *frame)
{
    if (!frame || !m_videoContext)
        return;
    // Straight from the decoded format to the encoder's: no RGBA step in between.
    m_videoConverter->convertFrame(frame);
    writeVideoFrameDuration(movieFrameDuration());
}

void LMFFMovieFileOutput::writeEmptyVideoFrame()
{
    if (!m_videoContext)
        return;
    uint8_t black[4 * 4 * 4] = {};
    AVFrame *frame = av_frame_alloc();
    if (!frame)
        return;
    frame->format = AV_PIX_FMT_RGBA;
    frame->width = 4;
    frame->height = 4;
    av_image_fill_arrays(frame->data, frame->linesize, black, AV_PIX_FMT_RGBA, 4, 4, 1);
    m_videoConverter->convertFrame(frame);
    av_frame_free(&frame);
    writeVideoFrameDuration(movieFrameDuration());
}

void LMFFMovieFileOutput::writeImage(const std::shared_ptr<LMFFImage> &image)
{
    if (image && !image->isPacket() && image->getFrame() && image->getFrame()->data[0]) {
        writeVideoFrame(image->getFrame());
    } else if (image && image->getPacket()) {
        writeVideoPacket(*image);
    } else if (!m_copyVideo) {
        writeEmptyVideoFrame();
    }
}

void LMFFMovieFileOutput::writeBitmapImage(const LMBitmapImage &image)
{
    if (!m_videoContext)
        return;
    m_videoConverter->convertBitmapImage(image);
    writeVideoFrameDuration(movieFrameDuration());
}

QImage LMFFMovieFileOutput::createCGContext() const
{
    return m_videoConverter->createCGContext();
}

void LMFFMovieFileOutput::writeCGContext(const QImage &context, int32_t duration)
{
    if (!m_videoContext)
        return;
    m_videoConverter->convertContext(context);
    writeVideoFrameDuration(duration > 0 ? AVRational{duration, m_movieFormat.framerate}
                                         : movieFrameDuration());
}

void LMFFMovieFileOutput::writeLMDataImage(const LMDataImage &image)
{
    if (!m_videoContext || !image.bytes() || image.width <= 0 || image.height <= 0)
        return;
    AVFrame *frame = av_frame_alloc();
    if (!frame)
        return;
    frame->format = image.format;
    frame->width = image.width;
    frame->height = image.height;
    av_image_fill_linesizes(frame->linesize, AVPixelFormat(image.format), image.width);
    av_image_fill_pointers(frame->data,
                           AVPixelFormat(image.format),
                           image.height,
                           const_cast<uint8_t *>(image.bytes()),
                           frame->linesize);
    if (image.bytes_per_row > 0)
        frame->linesize[0] = image.bytes_per_row;
    const AVRational duration{std::max<int32_t>(1, image.duration), m_movieFormat.framerate};
    const LMFFVideoFormat out = m_videoConverter->outputFormat();
    if (out.pix_fmt == image.format && out.width == image.width && out.height == image.height
        && isAllowRawDataImageFrame()) {
        encodeVideoFrame(frame, duration);
    } else {
        m_videoConverter->convertFrame(frame);
        writeVideoFrameDuration(duration);
    }
    av_frame_free(&frame);
}

void LMFFMovieFileOutput::writeAudioData(const QByteArray &data)
{
    const int bytes = av_get_bytes_per_sample(AVSampleFormat(m_audioInputFormat.sample_fmt))
                      * lm_get_channel_layout_nb_channels(m_audioInputFormat.channel_layout);
    if (bytes <= 0)
        return;
    writeSample(reinterpret_cast<const uint8_t *>(data.constData()), int(data.size() / bytes));
}

void LMFFMovieFileOutput::writeSample(const uint8_t *samples, int frames)
{
    if (!m_audioContext || m_copyAudio || !samples || frames <= 0)
        return;
    m_resample->writeSampleFrame(samples, frames);
    const int n = m_audioContext->frame_size > 0 ? m_audioContext->frame_size : 1024;
    while (m_resample->outputSamples() >= n) {
        if (!m_audioFrame)
            m_audioFrame = av_frame_alloc();
        AVFrame *frame = m_audioFrame;
        if (!frame)
            return;
        // A new buffer each time: the encoder may keep a reference to the last one.
        av_frame_unref(frame);
        frame->nb_samples = n;
        frame->format = m_audioContext->sample_fmt;
        frame->sample_rate = m_audioContext->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &m_audioContext->ch_layout);
        if (av_frame_get_buffer(frame, 0) < 0)
            return;
        if (m_resample->convertFrameTo(nullptr, frame) < n)
            return;
        frame->pts = m_audioPts + m_audioContext->delay;
        m_audioPts += n;
        sendAndWrite(m_audioContext, m_audioStream, frame);
    }
}

void LMFFMovieFileOutput::writeVideoPacket(const LMFFImage &packet)
{
    writeRawPacket(packet, m_videoStream);
}

void LMFFMovieFileOutput::writeAudioPacket(const LMFFImage &packet)
{
    writeRawPacket(packet, m_audioStream);
}

void LMFFMovieFileOutput::writeRawPacket(const LMFFImage &image, AVStream *stream)
{
    AVPacket *source = image.getPacket();
    if (!stream || !source || !m_file.isStarted())
        return;
    AVPacket *packet = av_packet_clone(source);
    if (!packet)
        return;
    const AVRational in = image.time_base.den > 0 ? image.time_base : stream->time_base;
    const AVRational out = stream->time_base;
    const int64_t offset = av_rescale_q(image.get_pkt_offset_time(), kEngineTimeBase, out);
    int64_t dts = packet->dts;
    if (dts != AV_NOPTS_VALUE)
        dts = std::max<int64_t>(0, av_rescale_q(dts, in, out) + offset);
    const bool video = stream == m_videoStream;
    if (video) {
        dts = dts == AV_NOPTS_VALUE ? m_videoPts + 1 : std::max(m_videoPts + 1, dts);
        m_videoPts = dts;
    } else {
        if (dts == AV_NOPTS_VALUE || (stream == m_audioStream && dts < m_audioPts)) {
            av_packet_free(&packet);
            return;
        }
        if (stream == m_audioStream) {
            // The first packet keeps its time: a primed stream starts with a packet before 0,
            // which lands on 0 here, and the one after it would otherwise fall behind and be lost.
            if (m_audioWriteStarted)
                dts = std::max(m_audioPts + 1, dts);
            m_audioWriteStarted = true;
            m_audioPts = dts;
        }
    }
    packet->dts = dts;
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts
            = std::max(dts, std::max<int64_t>(0, av_rescale_q(packet->pts, in, out) + offset));
    if (packet->duration > 0)
        packet->duration = av_rescale_q(packet->duration, in, out);
    if (video && !m_videoWriteStarted) {
        packet->pts = 0;
        packet->dts = 0;
        m_videoWriteStarted = true;
    }
    writePacket(packet, stream);
    av_packet_free(&packet);
}

void LMFFMovieFileOutput::writeSubtitle(const AVSubtitle &subtitle)
{
    if (!m_subtitleContext || !m_subtitleStream)
        return;
    AVSubtitle copy = subtitle;
    const int64_t pts = av_rescale_q(subtitle.pts, kEngineTimeBase, m_subtitleContext->time_base);
    std::vector<uint8_t> buffer(kSubtitleBufferSize, 0);
    const int size
        = avcodec_encode_subtitle(m_subtitleContext, buffer.data(), int(buffer.size()), &copy);
    if (size <= 0)
        return;
    AVPacket *packet = av_packet_alloc();
    if (!packet || av_new_packet(packet, size) < 0) {
        av_packet_free(&packet);
        return;
    }
    std::memcpy(packet->data, buffer.data(), size_t(size));
    packet->pts = pts;
    packet->dts = pts;
    packet->duration = av_rescale_q(
        subtitle.end_display_time, AVRational{1, 1000}, m_subtitleContext->time_base);
    av_packet_rescale_ts(packet, m_subtitleContext->time_base, m_subtitleStream->time_base);
    writePacket(packet, m_subtitleStream);
    av_packet_free(&packet);
}

void LMFFMovieFileOutput::closeCodecs()
{
    LMCodecLocker locked;
    avcodec_free_context(&m_videoContext);
    avcodec_free_context(&m_audioContext);
    avcodec_free_context(&m_subtitleContext);
}

bool LMFFMovieFileOutput::stopOutput()
{
    if (m_file.isCreated() && m_file.isStarted()) {
        // Samples that do not fill an encoder frame are dropped, as the muxer cannot take a short
        // frame from every encoder.
        if (m_audioContext && !m_copyAudio)
            sendAndWrite(m_audioContext, m_audioStream, nullptr);
        if (m_videoContext && !m_copyVideo)
            sendAndWrite(m_videoContext, m_videoStream, nullptr);
    }
    closeCodecs();
    m_videoStream = nullptr;
    m_audioStream = nullptr;
    m_subtitleStream = nullptr;
    return m_file.finish();
}
