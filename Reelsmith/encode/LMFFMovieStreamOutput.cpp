#include "Reelsmith/encode/LMFFMovieStreamOutput.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/frames/LMFFImage.h"

#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using Reelsmith::lcEncode;
using Reelsmith::detail::ffmpegErrorText;
using Reelsmith::detail::kEngineTimeBase;

std::unique_ptr<LMFFMovieStreamOutput> LMFFMovieStreamOutput::outputWithPath(const QString &path)
{
    auto output = std::make_unique<LMFFMovieStreamOutput>();
    output->setPath(path);
    return output;
}

LMFFMovieStreamOutput::~LMFFMovieStreamOutput()
{
    if (m_formatContext) {
        if (m_fileOpen)
            avio_closep(&m_formatContext->pb);
        avformat_free_context(m_formatContext);
    }
}

void LMFFMovieStreamOutput::fail(const QString &why, int code)
{
    m_lastError = code ? QStringLiteral("%1: %2").arg(why, ffmpegErrorText(code)) : why;
    qCWarning(lcEncode).noquote() << m_path << m_lastError;
}

bool LMFFMovieStreamOutput::createMovieOutput()
{
    if (m_formatContext)
        return true;
    const char *name = nullptr;
    if (QFileInfo(m_path).suffix().toLower() == u"m4r") {
        if (const AVOutputFormat *guessed = av_guess_format(nullptr, "x.m4a", nullptr))
            name = guessed->name;
    }
    const QByteArray path = m_path.toUtf8();
    const int result
        = avformat_alloc_output_context2(&m_formatContext, nullptr, name, path.constData());
    if (result < 0 || !m_formatContext) {
        m_formatContext = nullptr;
        fail(QStringLiteral("no muxer for the path"), result);
        return false;
    }
    m_formatContext->max_delay = 700000;
    return true;
}

std::shared_ptr<LMFFMovieStream> LMFFMovieStreamOutput::copyOutputStream(const AVStream *source)
{
    if (!source || !source->codecpar || !createMovieOutput())
        return nullptr;
    AVStream *stream = avformat_new_stream(m_formatContext, nullptr);
    if (!stream) {
        fail(QStringLiteral("cannot add a copied stream"), 0);
        return nullptr;
    }
    avcodec_parameters_copy(stream->codecpar, source->codecpar);
    stream->codecpar->codec_tag = 0;
    stream->sample_aspect_ratio = source->sample_aspect_ratio;
    stream->r_frame_rate = source->r_frame_rate;
    stream->avg_frame_rate = source->avg_frame_rate;
    stream->time_base = source->time_base;
    auto result = std::make_shared<LMFFMovieStream>();
    result->stream = stream;
    result->isVideo = source->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    return result;
}

bool LMFFMovieStreamOutput::startOutput()
{
    if (!m_formatContext) {
        fail(QStringLiteral("no output was opened"), 0);
        return false;
    }
    if (m_headerWritten)
        return true;
    if (m_formatContext->oformat->flags & AVFMT_NOFILE) {
        fail(QStringLiteral("the muxer writes no file"), 0);
        return false;
    }
    const QByteArray path = m_path.toUtf8();
    int result = avio_open(&m_formatContext->pb, path.constData(), AVIO_FLAG_WRITE);
    if (result < 0) {
        fail(QStringLiteral("cannot open the file"), result);
        return false;
    }
    m_fileOpen = true;
    result = avformat_write_header(m_formatContext, nullptr);
    if (result < 0) {
        fail(QStringLiteral("cannot write the header"), result);
        m_writeError = true;
        return false;
    }
    m_headerWritten = true;
    return true;
}

void LMFFMovieStreamOutput::writePacket(AVPacket *packet, AVStream *stream)
{
    if (!m_headerWritten || !packet || !stream)
        return;
    packet->stream_index = stream->index;
    const int result = av_interleaved_write_frame(m_formatContext, packet);
    if (result < 0 && !m_writeError) {
        m_writeError = true;
        fail(QStringLiteral("cannot write a packet"), result);
    }
}

void LMFFMovieStreamOutput::writeRawPacket(const LMFFImage &image, LMFFMovieStream &target)
{
    AVPacket *source = image.getPacket();
    if (!source || !target.stream || !m_headerWritten)
        return;
    AVPacket *packet = av_packet_clone(source);
    if (!packet)
        return;
    const AVRational out = target.stream->time_base;
    const AVRational in = image.time_base.den > 0 ? image.time_base : out;
    const int64_t offset = av_rescale_q(image.get_pkt_offset_time(), kEngineTimeBase, out);
    int64_t dts = packet->dts;
    if (dts != AV_NOPTS_VALUE)
        dts = std::max<int64_t>(0, av_rescale_q(dts, in, out) + offset);
    if (target.isVideo) {
        target.write_pts
            = dts == AV_NOPTS_VALUE ? target.write_pts + 1 : std::max(target.write_pts + 1, dts);
    } else {
        if (dts == AV_NOPTS_VALUE || dts < target.write_pts) {
            av_packet_free(&packet);
            return;
        }
        // The first packet keeps its time: a primed stream starts before 0, lands on 0 here, and
        // the packet after it would otherwise fall behind the counter and be lost.
        target.write_pts = target.started ? std::max(target.write_pts + 1, dts) : dts;
    }
    target.started = true;
    packet->dts = target.write_pts;
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts = std::max(packet->dts,
                               std::max<int64_t>(0, av_rescale_q(packet->pts, in, out) + offset));
    if (packet->duration > 0)
        packet->duration = av_rescale_q(packet->duration, in, out);
    if (target.isVideo && !m_videoWriteStarted) {
        packet->pts = 0;
        packet->dts = 0;
        m_videoWriteStarted = true;
    }
    writePacket(packet, target.stream);
    av_packet_free(&packet);
}

bool LMFFMovieStreamOutput::stopOutput()
{
    if (!m_formatContext)
        return m_headerWritten && !m_writeError;
    if (m_headerWritten) {
        if (av_interleaved_write_frame(m_formatContext, nullptr) < 0 && !m_writeError) {
            m_writeError = true;
            fail(QStringLiteral("cannot write the last packets"), 0);
        }
        if (av_write_trailer(m_formatContext) < 0 && !m_writeError) {
            m_writeError = true;
            fail(QStringLiteral("cannot write the trailer"), 0);
        }
    }
    if (m_fileOpen) {
        avio_flush(m_formatContext->pb);
        if (m_formatContext->pb->error < 0 && !m_writeError) {
            m_writeError = true;
            fail(QStringLiteral("cannot write the file"), m_formatContext->pb->error);
        }
        if (avio_closep(&m_formatContext->pb) < 0 && !m_writeError) {
            m_writeError = true;
            fail(QStringLiteral("cannot close the file"), 0);
        }
        m_fileOpen = false;
    }
    avformat_free_context(m_formatContext);
    m_formatContext = nullptr;
    return m_headerWritten && !m_writeError;
}
