#include "Reelsmith/convert/LMMovieCompositionTrack.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "platform/ClassRegistry.h"

#include <QList>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

DW_REGISTER_CLASS(LMMovieCompositionTrack)

QStringList LMMovieCompositionTrack::allCoderKeys() const
{
    return {QStringLiteral("path"), QStringLiteral("position"), QStringLiteral("rate")};
}

std::shared_ptr<LMMovieCompositionTrack> LMMovieCompositionTrack::makeTrack()
{
    return std::make_shared<LMMovieCompositionTrack>();
}

QList<std::shared_ptr<LMMovieCompositionTrack>>
LMMovieCompositionTrack::tracksWithPath(const QString &path)
{
    QList<std::shared_ptr<LMMovieCompositionTrack>> tracks;
    auto probe = LMMediaSource::mediaWithPath(path);
    probe->open();
    if (!probe->isOpen())
        return tracks;
    const int count = int(probe->formatContext()->nb_streams);
    for (int i = 0; i < count; ++i) {
        auto item = makeTrack();
        item->setPath(path);
        item->track = i;
        tracks.append(item);
    }
    return tracks;
}

QString LMMovieCompositionTrack::path() const
{
    return m_source ? m_source->path() : QString();
}

void LMMovieCompositionTrack::setPath(const QString &path)
{
    m_source = LMMediaSource::mediaWithPath(path);
}

void LMMovieCompositionTrack::open()
{
    if (m_source)
        m_source->open();
}

double LMMovieCompositionTrack::duration() const
{
    return m_source ? double(m_source->duration()) / 1e6 : 0;
}

double LMMovieCompositionTrack::startTime() const
{
    return m_source ? double(m_source->start_time()) / 1e6 : 0;
}

AVStream *LMMovieCompositionTrack::avstream()
{
    open();
    AVFormatContext *context = m_source ? m_source->formatContext() : nullptr;
    if (!context || track < 0 || track >= int(context->nb_streams))
        return nullptr;
    return context->streams[track];
}

const AVCodecParameters *LMMovieCompositionTrack::codecParameters()
{
    AVStream *stream = avstream();
    return stream ? stream->codecpar : nullptr;
}

int LMMovieCompositionTrack::codecID()
{
    const AVCodecParameters *parameters = codecParameters();
    return parameters ? parameters->codec_id : 0;
}

int LMMovieCompositionTrack::mediaType()
{
    const AVCodecParameters *parameters = codecParameters();
    return parameters ? parameters->codec_type : AVMEDIA_TYPE_UNKNOWN;
}

bool LMMovieCompositionTrack::readSourceFrame(AVPacket *packet)
{
    AVFormatContext *context = m_source ? m_source->formatContext() : nullptr;
    return context && av_read_frame(context, packet) >= 0;
}

bool LMMovieCompositionTrack::readFrame(AVPacket *packet)
{
    AVStream *stream = avstream();
    if (!stream || finished)
        return false;
    while (readSourceFrame(packet)) {
        if (packet->stream_index == track) {
            const int64_t t = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            if (t != AV_NOPTS_VALUE)
                dts = double(av_rescale_q(t, stream->time_base, Reelsmith::detail::kEngineTimeBase))
                      / 1e6;
            return true;
        }
        av_packet_unref(packet);
    }
    finished = true;
    return false;
}
