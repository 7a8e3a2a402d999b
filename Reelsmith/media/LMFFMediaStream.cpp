#include "Reelsmith/media/LMFFMediaStream.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/LibMedia.h"
#include "Reelsmith/audio/LMFFAudioResample.h"
#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LMCodecLock.h"
#include "Reelsmith/media/LMAssFrame.h"
#include "Reelsmith/media/LMFFMediaOwner.h"
#include "Reelsmith/media/LMFFPacket.h"

#include <algorithm>
#include <atomic>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcDecode, "discwright.reelsmith.decode", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcDecode;

using Reelsmith::detail::ffmpegErrorText;
using Reelsmith::detail::kEngineTimeBase;

namespace {

constexpr AVRational kMilliseconds{1, 1000};

int clampComponent(double value)
{
    return std::clamp(int(value), 0, 255);
}

} // namespace

LMFFMediaStream::LMFFMediaStream(LMFFStreamOwner *owner, AVStream *stream)
    : m_owner(owner)
    , m_stream(stream)
    , m_currentFrame(Reelsmith::detail::makeFrame())
    , m_decodedFrame(Reelsmith::detail::makeFrame())
{}

LMFFMediaStream::~LMFFMediaStream()
{
    close();
}

int LMFFMediaStream::streamIndex() const
{
    return m_stream ? m_stream->index : -1;
}

// Queries -------------------------------------------------------------------------------------

int LMFFMediaStream::mediaType() const
{
    return m_stream && m_stream->codecpar ? int(m_stream->codecpar->codec_type)
                                          : int(AVMEDIA_TYPE_UNKNOWN);
}

bool LMFFMediaStream::isVideo() const
{
    return mediaType() == AVMEDIA_TYPE_VIDEO;
}

bool LMFFMediaStream::isAudio() const
{
    return mediaType() == AVMEDIA_TYPE_AUDIO;
}

bool LMFFMediaStream::isSubtitle() const
{
    return mediaType() == AVMEDIA_TYPE_SUBTITLE;
}

bool LMFFMediaStream::isAttachedPicture() const
{
    return m_stream && (m_stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

bool LMFFMediaStream::isOpen() const
{
    return m_codecContext != nullptr;
}

AVRational LMFFMediaStream::timebase() const
{
    if (!m_stream)
        return AVRational{1, 1};
    return AVRational{std::max(m_stream->time_base.num, 1), std::max(m_stream->time_base.den, 1)};
}

AVRational LMFFMediaStream::framebase() const
{
    const int rate = audioFormat().sample_rate;
    return AVRational{1, rate > 0 ? rate : 1};
}

AVRational LMFFMediaStream::audioOutputTimebase() const
{
    const int rate = m_resample ? m_resample->outputFormat().sample_rate : 0;
    return AVRational{1, rate > 0 ? rate : 1};
}

int64_t LMFFMediaStream::duration() const
{
    if (!m_stream || m_stream->duration == AV_NOPTS_VALUE)
        return 0;
    return m_stream->duration;
}

int64_t LMFFMediaStream::bitrate() const
{
    if (m_codecContext)
        return m_codecContext->bit_rate;
    return m_stream && m_stream->codecpar ? m_stream->codecpar->bit_rate : 0;
}

int LMFFMediaStream::get_codec_id() const
{
    return m_stream && m_stream->codecpar ? int(m_stream->codecpar->codec_id)
                                          : int(AV_CODEC_ID_NONE);
}

QString LMFFMediaStream::codecName() const
{
    const AVCodec *decoder
        = m_stream ? avcodec_find_decoder(m_stream->codecpar->codec_id) : nullptr;
    return decoder && decoder->name ? QString::fromUtf8(decoder->name) : QString(QLatin1String(""));
}

float LMFFMediaStream::framerate() const
{
    if (!m_stream)
        return 30;
    float value = 0;
    bool valid = false;
    const AVRational r = m_stream->r_frame_rate;
    if (r.num == 24000 && r.den == 1001) {
        value = 23.97f;
        valid = true;
    } else if (r.num == 30000 && r.den == 1001) {
        value = 29.97f;
        valid = true;
    } else if (r.num >= 1 && r.den >= 1) {
        value = float(r.num / r.den);
        valid = true;
    }
    if (valid && value >= 1 && value <= 50)
        return value;
    const AVRational average = m_stream->avg_frame_rate;
    if (average.num >= 1 && average.den > 0)
        value = float(average.num / average.den);
    if (value < 1 || value > 50)
        value = 30;
    return value;
}

int LMFFMediaStream::channels() const
{
    return lm_get_channel_layout_nb_channels(audioFormat().channel_layout);
}

double LMFFMediaStream::sample_aspect_ratio() const
{
    AVRational sar{0, 1};
    if (m_codecContext)
        sar = m_codecContext->sample_aspect_ratio;
    else if (m_stream && m_stream->codecpar)
        sar = m_stream->codecpar->sample_aspect_ratio;
    if (sar.num < 1 || sar.den < 1)
        return 1.0;
    return av_q2d(sar);
}

LMFFAudioFormat LMFFMediaStream::audioFormat() const
{
    if (!isAudio())
        return LMFFAudioFormat{-1, 0, 0};
    const AVCodecParameters *par = m_stream->codecpar;
    int sampleFormat = par->format;
    const AVChannelLayout *layout = &par->ch_layout;
    int sampleRate = par->sample_rate;
    if (m_codecContext) {
        sampleFormat = m_codecContext->sample_fmt;
        if (m_codecContext->ch_layout.nb_channels > 0)
            layout = &m_codecContext->ch_layout;
        if (m_codecContext->sample_rate > 0)
            sampleRate = m_codecContext->sample_rate;
    }
    int64_t mask = 0;
    if (layout->order == AV_CHANNEL_ORDER_NATIVE && layout->u.mask != 0
        && av_popcount64(layout->u.mask) == layout->nb_channels)
        mask = int64_t(layout->u.mask);
    else
        mask = lm_get_default_channel_layout(layout->nb_channels);
    return LMFFAudioFormat{sampleFormat, mask, sampleRate};
}

LMFFVideoFormat LMFFMediaStream::videoFormat() const
{
    if (!isVideo())
        return LMFFVideoFormat{-1, 0, 0};
    if (m_codecContext)
        return LMFFVideoFormat{
            m_codecContext->pix_fmt, m_codecContext->width, m_codecContext->height};
    const AVCodecParameters *par = m_stream->codecpar;
    return LMFFVideoFormat{par->format, par->width, par->height};
}

QString LMFFMediaStream::getMetadataValueForKey(const QString &key) const
{
    if (!m_stream || !m_stream->metadata)
        return QString();
    const AVDictionaryEntry *entry
        = av_dict_get(m_stream->metadata, key.toUtf8().constData(), nullptr, 0);
    return entry && entry->value ? QString::fromUtf8(entry->value) : QString();
}

QString LMFFMediaStream::language() const
{
    QString code = getMetadataValueForKey(QStringLiteral("language"));
    return LibMedia::displayStringForLanguage(code.isNull() ? QString(QLatin1String("")) : code);
}

int LMFFMediaStream::getMetadataRotate() const
{
    if (!m_stream)
        return 0;
    size_t size = 0;
    const uint8_t *data = av_stream_get_side_data(m_stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < 9 * sizeof(int32_t))
        return 0;
    // The matrix turns counter-clockwise; the old tag (and every caller) counts clockwise.
    const double angle = av_display_rotation_get(reinterpret_cast<const int32_t *>(data));
    if (std::isnan(angle))
        return 0;
    int degrees = int(-std::lround(angle)) % 360;
    if (degrees < 0)
        degrees += 360;
    return degrees;
}

// Palette -------------------------------------------------------------------------------------

uint32_t LMFFMediaStream::paletteEntryToRGB(uint32_t ycrcb)
{
    const double y = double((ycrcb >> 16) & 0xff);
    const double cr = double(int((ycrcb >> 8) & 0xff) - 128);
    const double cb = double(int(ycrcb & 0xff) - 128);
    // Saturated colours fall outside 0..255; unclamped they would spill into the next component.
    const int r = clampComponent(y + 1.4075 * cr);
    const int g = clampComponent(y - 0.3455 * cb - 0.7169 * cr);
    const int b = clampComponent(y + 1.779 * cb);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

QString LMFFMediaStream::paletteOptionString(const std::array<uint32_t, 16> &rgb)
{
    QStringList entries;
    for (uint32_t colour : rgb)
        entries.append(QStringLiteral("%1").arg(colour, 6, 16, QLatin1Char('0')));
    return entries.join(QStringLiteral(", "));
}

void LMFFMediaStream::fillPalette(const uint32_t *palette)
{
    if (!palette)
        return;
    for (int i = 0; i < 16; ++i)
        m_rgbPalette[size_t(i)] = paletteEntryToRGB(palette[i]);
    m_hasPalette = true;
    // The decoder reads its palette when it opens.
    if (isOpen()) {
        close();
        open();
    }
}

// Open and close ------------------------------------------------------------------------------

namespace {
std::atomic<int> g_videoDecodeThreads{0};
} // namespace

void LMFFMediaStream::setVideoDecodeThreads(int count)
{
    g_videoDecodeThreads.store(std::max(0, count));
}

int LMFFMediaStream::videoDecodeThreads()
{
    return g_videoDecodeThreads.load();
}

void LMFFMediaStream::open()
{
    if (isOpen() || !m_stream)
        return;
    rawPackets.clear();
    m_lastError.clear();
    // Cover art is a picture stored as a stream; it is never decoded as video.
    if (isAttachedPicture()) {
        m_lastError = QStringLiteral("attached picture");
        return;
    }
    if (const int rate = m_stream->codecpar->sample_rate;
        isAudio() && (rate <= 0 || rate > LMFFAudioResample::kMaxSampleRate)) {
        m_lastError = QStringLiteral("unusable audio sample rate of %1 Hz (1 to %2 Hz are read)")
                          .arg(rate)
                          .arg(LMFFAudioResample::kMaxSampleRate);
        return;
    }
    const AVCodec *decoder = avcodec_find_decoder(m_stream->codecpar->codec_id);
    if (!decoder) {
        m_lastError = QStringLiteral("no decoder for codec %1")
                          .arg(avcodec_get_name(m_stream->codecpar->codec_id));
        return;
    }
    Reelsmith::detail::CodecContextPtr context(avcodec_alloc_context3(decoder));
    if (!context) {
        m_lastError = QStringLiteral("cannot allocate a decoder");
        return;
    }
    int result = avcodec_parameters_to_context(context.get(), m_stream->codecpar);
    context->pkt_timebase = m_stream->time_base;
    // FFmpeg's own frame and slice threads; the drain at the end of input collects their delay.
    if (isVideo())
        context->thread_count = videoDecodeThreads();
    AVDictionary *options = nullptr;
    if (m_hasPalette && isSubtitle())
        av_dict_set(
            &options, "palette", paletteOptionString(m_rgbPalette).toLatin1().constData(), 0);
    if (result >= 0) {
        LMCodecLocker locked;
        result = avcodec_open2(context.get(), decoder, &options);
    }
    av_dict_free(&options);
    if (result < 0) {
        m_lastError = QStringLiteral("cannot open decoder %1: %2")
                          .arg(QString::fromUtf8(decoder->name), ffmpegErrorText(result));
        qCDebug(lcDecode) << m_lastError;
        LMCodecLocker locked;
        context.reset();
        return;
    }
    m_codecContext = std::move(context);
    if (isAudio())
        m_resample = std::make_unique<LMFFAudioResample>();
    m_nextAudioPts = AV_NOPTS_VALUE;
}

void LMFFMediaStream::close()
{
    rawPackets.clear();
    m_resample.reset();
    m_subtitle = LMPlacedImage();
    m_assFrame.reset();
    if (m_codecContext) {
        LMCodecLocker locked;
        m_codecContext.reset();
    }
}

// Current frame -------------------------------------------------------------------------------

void LMFFMediaStream::copyFrameAttrsToCurrentFrame(const AVFrame *frame)
{
    av_frame_unref(m_currentFrame.get());
    if (frame)
        av_frame_copy_props(m_currentFrame.get(), frame);
    // Properties only: format and sizes travel too, so readers see what the frame was.
    if (frame) {
        m_currentFrame->format = frame->format;
        m_currentFrame->width = frame->width;
        m_currentFrame->height = frame->height;
        m_currentFrame->nb_samples = frame->nb_samples;
        m_currentFrame->sample_rate = frame->sample_rate;
        m_currentFrame->pts = frame->pts;
        m_currentFrame->pkt_dts = frame->pkt_dts;
        m_currentFrame->pkt_duration = frame->pkt_duration;
        m_currentFrame->best_effort_timestamp = frame->best_effort_timestamp;
    }
}

void LMFFMediaStream::copyFrameToCurrentFrame(AVFrame *frame)
{
    av_frame_unref(m_currentFrame.get());
    if (frame)
        av_frame_move_ref(m_currentFrame.get(), frame);
}

// Decoding ------------------------------------------------------------------------------------

bool LMFFMediaStream::copiesVideo() const
{
    const LMFFMediaOwner *movie = m_owner ? m_owner->movie() : nullptr;
    return movie && movie->copy_video_stream();
}

bool LMFFMediaStream::copiesAudio() const
{
    const LMFFMediaOwner *movie = m_owner ? m_owner->movie() : nullptr;
    return movie && movie->copy_audio_stream();
}

bool LMFFMediaStream::onlyKeyPackets() const
{
    const LMFFMediaOwner *movie = m_owner ? m_owner->movie() : nullptr;
    return movie && movie->forward_only_key();
}

bool LMFFMediaStream::keepRawPacket(const AVPacket *packet)
{
    std::shared_ptr<LMFFPacket> raw = LMFFPacket::packetWithCopy(packet, timebase());
    if (!raw)
        return false;
    if (isVideo()) {
        if (onlyKeyPackets() && !raw->isKeyPacket())
            return false;
        // A copying encoder wants only the newest video packet.
        rawPackets.clear();
    }
    rawPackets.push_back(std::move(raw));
    return true;
}

bool LMFFMediaStream::decodePacket(const AVPacket *packet)
{
    if (!packet || packet->size < 1)
        return false;
    if (isAudio() && copiesAudio()) {
        keepRawPacket(packet);
        return false;
    }
    if (isVideo() && copiesVideo()) {
        keepRawPacket(packet);
        return false;
    }
    if (!isOpen())
        return false;
    if (isSubtitle())
        return decodeSubtitlePacket(packet);

    int frames = 0;
    int result = avcodec_send_packet(m_codecContext.get(), packet);
    if (result == AVERROR(EAGAIN)) {
        // The decoder's output is full: take its frames, then it accepts the packet.
        frames += receiveFrames();
        result = avcodec_send_packet(m_codecContext.get(), packet);
    }
    if (result < 0 && result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
        m_lastError = QStringLiteral("decode error: %1").arg(ffmpegErrorText(result));
        ++m_decodeErrors;
        qCDebug(lcDecode) << m_lastError;
    }
    frames += receiveFrames();
    return frames > 0;
}

bool LMFFMediaStream::drain()
{
    if (!isOpen() || isSubtitle())
        return false;
    if ((isAudio() && copiesAudio()) || (isVideo() && copiesVideo()))
        return false;
    if (m_drain == Drain::Done)
        return false;
    if (m_drain == Drain::None) {
        avcodec_send_packet(m_codecContext.get(), nullptr);
        m_drain = Drain::Draining;
    }
    // Readers of video look at the current frame only: one frame per call, so none is skipped.
    const int frames = receiveFrames(isVideo() ? 1 : -1);
    if (frames > 0)
        return true;
    // The decoder stays at end of stream until flushed; flushing lets a later seek decode again.
    avcodec_flush_buffers(m_codecContext.get());
    if (m_resample)
        m_resample->flushInput();
    m_drain = Drain::Done;
    return false;
}

int LMFFMediaStream::receiveFrames(int limit)
{
    int frames = 0;
    while (limit < 0 || frames < limit) {
        const int result = avcodec_receive_frame(m_codecContext.get(), m_decodedFrame.get());
        if (result < 0) {
            // A frame-threaded decoder reports a damaged packet when its picture comes out.
            if (result != AVERROR(EAGAIN) && result != AVERROR_EOF)
                ++m_decodeErrors;
            break;
        }
        ++frames;
        if (isAudio())
            takeAudioFrame(m_decodedFrame.get());
        else
            takeVideoFrame(m_decodedFrame.get());
        av_frame_unref(m_decodedFrame.get());
    }
    return frames;
}

void LMFFMediaStream::takeAudioFrame(AVFrame *frame)
{
    const LMFFAudioFormat format = audioFormat();
    if (frame->ch_layout.order != AV_CHANNEL_ORDER_NATIVE || frame->ch_layout.u.mask == 0) {
        const int count
            = frame->ch_layout.nb_channels > 0 ? frame->ch_layout.nb_channels : channels();
        av_channel_layout_uninit(&frame->ch_layout);
        av_channel_layout_default(&frame->ch_layout, count);
    }
    if (frame->sample_rate <= 0)
        frame->sample_rate = format.sample_rate;

    const AVRational tb = timebase();
    const AVRational sampleBase{1, frame->sample_rate > 0 ? frame->sample_rate : 1};
    const int64_t dur = av_rescale_q(frame->nb_samples, sampleBase, tb);
    // The decoder stamps only the first frame of a packet; the others follow right after the
    // frame before them.
    int64_t pts = frame->pts;
    if (pts == AV_NOPTS_VALUE)
        pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = m_nextAudioPts;
    if (pts == AV_NOPTS_VALUE)
        pts = m_currentFrame->pts != AV_NOPTS_VALUE ? m_currentFrame->pts : 0;
    frame->pts = pts;
    frame->pkt_duration = dur;
    m_nextAudioPts = pts + dur;
    last_audio_frame_time = av_rescale_q(pts + dur, tb, kEngineTimeBase);

    // A frame mostly before the current position (after a seek) is not played.
    const int64_t current = m_currentFrame->pts;
    if (current != AV_NOPTS_VALUE && pts + dur / 2 < current)
        return;
    if (m_resample)
        m_resample->writeFrame(frame);
    copyFrameAttrsToCurrentFrame(frame);
    hasFrame = true;
}

void LMFFMediaStream::takeVideoFrame(AVFrame *frame)
{
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = frame->pts;
    frame->pts = pts;
    if (frame->pkt_duration <= 0 && m_stream) {
        AVRational rate
            = m_stream->avg_frame_rate.num > 0 ? m_stream->avg_frame_rate : m_stream->r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            frame->pkt_duration = av_rescale_q(1, av_inv_q(rate), timebase());
    }
    copyFrameToCurrentFrame(frame);
    hasFrame = true;
}

bool LMFFMediaStream::decodeSubtitlePacket(const AVPacket *packet)
{
    // The decoder takes a writable packet; the routed one is the demuxer's.
    const Reelsmith::detail::PacketPtr copy = Reelsmith::detail::clonePacket(packet);
    if (!copy)
        return false;
    AVSubtitle subtitle{};
    int got = 0;
    const int result = avcodec_decode_subtitle2(m_codecContext.get(), &subtitle, &got, copy.get());
    const int64_t packetPts = copy->pts != AV_NOPTS_VALUE ? copy->pts : copy->dts;
    if (result < 0 || !got)
        return false;

    const AVRational tb = timebase();
    int64_t pts = subtitle.pts != AV_NOPTS_VALUE ? av_rescale_q(subtitle.pts, kEngineTimeBase, tb)
                                                 : (packetPts != AV_NOPTS_VALUE ? packetPts : 0);
    pts += av_rescale_q(subtitle.start_display_time, kMilliseconds, tb);
    const int64_t dur
        = av_rescale_q(int64_t(subtitle.end_display_time) - int64_t(subtitle.start_display_time),
                       kMilliseconds,
                       tb);
    copyFrameAttrsToCurrentFrame(nullptr);
    m_currentFrame->pts = pts;
    m_currentFrame->pkt_dts = pts;
    m_currentFrame->pkt_duration = dur;
    m_currentFrame->best_effort_timestamp = pts;
    takeSubtitle(subtitle);
    avsubtitle_free(&subtitle);
    hasFrame = true;
    return true;
}

void LMFFMediaStream::takeSubtitle(const AVSubtitle &subtitle)
{
    const int64_t eventPts = subtitle.pts != AV_NOPTS_VALUE ? subtitle.pts : 0;
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
        const AVSubtitleRect *rect = subtitle.rects[i];
        if (!rect)
            continue;
        if (rect->type == SUBTITLE_ASS && rect->ass) {
            auto frame = std::make_shared<LMAssFrame>();
            frame->ass = QString::fromUtf8(rect->ass);
            frame->pts = eventPts;
            frame->start_display_time = subtitle.start_display_time;
            frame->end_display_time = subtitle.end_display_time;
            m_assFrame = std::move(frame);
        } else if (rect->type == SUBTITLE_BITMAP && rect->w > 0 && rect->h > 0 && rect->data[0]
                   && rect->data[1]) {
            // Palette indices through the rectangle's own ARGB palette; the 32-bit native word
            // 0xAARRGGBB is what ARGB32 holds.
            const auto *colours = reinterpret_cast<const uint32_t *>(rect->data[1]);
            const int count = rect->nb_colors > 0 ? std::min(rect->nb_colors, 256) : 256;
            QImage image(rect->w, rect->h, QImage::Format_ARGB32);
            for (int y = 0; y < rect->h; ++y) {
                const uint8_t *in = rect->data[0] + size_t(y) * size_t(rect->linesize[0]);
                auto *out = reinterpret_cast<uint32_t *>(image.scanLine(y));
                for (int x = 0; x < rect->w; ++x)
                    out[x] = in[x] < count ? colours[in[x]] : 0;
            }
            int frameHeight = m_owner ? m_owner->videoFormat().height : 0;
            if (frameHeight <= 0 && m_codecContext)
                frameHeight = m_codecContext->height;
            if (frameHeight <= 0)
                frameHeight = rect->y + rect->h;
            m_subtitle.image = image;
            m_subtitle.origin = QPointF(rect->x, frameHeight - rect->y - rect->h);
        }
    }
}

std::shared_ptr<LMFFPacket> LMFFMediaStream::popFirstRawPacket()
{
    if (rawPackets.empty())
        return nullptr;
    std::shared_ptr<LMFFPacket> first = rawPackets.front();
    rawPackets.pop_front();
    return first;
}

// Seeking and audio output --------------------------------------------------------------------

void LMFFMediaStream::seek(int64_t ts)
{
    if (m_codecContext)
        avcodec_flush_buffers(m_codecContext.get());
    copyFrameAttrsToCurrentFrame(nullptr);
    m_currentFrame->pts = ts;
    m_subtitle = LMPlacedImage();
    rawPackets.clear();
    audio_sync_frame = av_rescale_q(ts, timebase(), audioOutputTimebase());
    m_nextAudioPts = AV_NOPTS_VALUE;
    m_drain = Drain::None;
    if (m_resample)
        m_resample->close();
}

bool LMFFMediaStream::readSampleFrame(uint8_t *buffer, int n)
{
    return m_resample && m_resample->readSampleFrame(buffer, n);
}

int LMFFMediaStream::readSampleFrameFillSilence(uint8_t *buffer, int n)
{
    return m_resample ? m_resample->readSampleFrameFillSilence(buffer, n) : 0;
}

int LMFFMediaStream::outputSamples() const
{
    return m_resample ? m_resample->outputSamples() : 0;
}

LMFFAudioFormat LMFFMediaStream::audioOutputFormat() const
{
    return m_resample ? m_resample->outputFormat() : LMFFAudioFormat{0, 0, 0};
}

void LMFFMediaStream::setAudioResampleChannels(int n)
{
    if (!m_resample)
        return;
    LMFFAudioFormat out = m_resample->outputFormat();
    out.channel_layout = lm_get_default_channel_layout(n);
    m_resample->convertFormatTo(audioFormat(), out);
}
