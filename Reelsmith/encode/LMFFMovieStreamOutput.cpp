#include "Reelsmith/encode/LMFFMovieStreamOutput.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/frames/LMFFImage.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using Reelsmith::detail::kEngineTimeBase;

std::unique_ptr<LMFFMovieStreamOutput> LMFFMovieStreamOutput::outputWithPath(const QString &path)
{
    auto output = std::make_unique<LMFFMovieStreamOutput>();
    output->setPath(path);
    return output;
}

void LMFFMovieStreamOutput::fail(const QString &why, int code)
{
    m_file.fail(why, code);
}

bool LMFFMovieStreamOutput::createMovieOutput()
{
    return m_file.create();
}

std::shared_ptr<LMFFMovieStream> LMFFMovieStreamOutput::copyOutputStream(const AVStream *source)
{
    if (!source || !source->codecpar || !createMovieOutput())
        return nullptr;
    AVStream *stream = m_file.addCopiedStream(source);
    if (!stream)
        return nullptr;
    auto result = std::make_shared<LMFFMovieStream>();
    result->stream = stream;
    result->isVideo = source->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    return result;
}

bool LMFFMovieStreamOutput::startOutput()
{
    return m_file.start();
}

void LMFFMovieStreamOutput::writePacket(AVPacket *packet, AVStream *stream)
{
    m_file.write(packet, stream);
}

void LMFFMovieStreamOutput::writeRawPacket(const LMFFImage &image, LMFFMovieStream &target)
{
    AVPacket *source = image.getPacket();
    if (!source || !target.stream || !m_file.isStarted())
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
    return m_file.finish();
}
