#include "Reelsmith/joiner/StreamCopyJoin.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/joiner/JoinInput.h"
#include "Reelsmith/joiner/VideoJoiner.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

using Reelsmith::detail::ffmpegErrorText;
using Reelsmith::detail::JoinInput;
using Reelsmith::detail::kEngineTimeBase;
using Reelsmith::detail::openJoinInput;
using Reelsmith::detail::runJoin;
using Reelsmith::detail::tracksByPosition;

namespace {

struct OutputCloser
{
    void operator()(AVFormatContext *context) const
    {
        if (!(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;

struct PacketFree
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

bool isCopied(const AVStream *stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    return (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO)
           && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The copied streams of an input, in container order.
std::vector<AVStream *> copiedStreams(const AVFormatContext *context)
{
    std::vector<AVStream *> streams;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (isCopied(context->streams[i]))
            streams.push_back(context->streams[i]);
    }
    return streams;
}

bool sameLayout(const AVCodecParameters *a, const AVCodecParameters *b)
{
    return a->codec_type == b->codec_type && a->codec_id == b->codec_id && a->width == b->width
           && a->height == b->height && a->sample_rate == b->sample_rate
           && a->ch_layout.nb_channels == b->ch_layout.nb_channels;
}

bool join(const VideoJoiner &joiner, QString *error)
{
    const VideoJoinerItemList tracks = tracksByPosition(joiner);
    if (tracks.isEmpty()) {
        *error = QStringLiteral("no tracks to join");
        return false;
    }
    for (const auto &track : tracks) {
        if (std::fabs(track->rate - 1.0) > 1e-9) {
            *error = QStringLiteral("%1 at rate %2 needs re-encoding")
                         .arg(track->path)
                         .arg(track->rate);
            return false;
        }
    }

    JoinInput first = openJoinInput(tracks.first()->path, error);
    if (!first)
        return false;
    const std::vector<AVStream *> layout = copiedStreams(first.get());
    if (layout.empty()) {
        *error = QStringLiteral("%1 has neither audio nor video").arg(tracks.first()->path);
        return false;
    }

    AVFormatContext *raw = nullptr;
    const QByteArray outPath = QFile::encodeName(joiner.path);
    int result = avformat_alloc_output_context2(&raw, nullptr, nullptr, outPath.constData());
    if (result < 0 || !raw) {
        *error
            = QStringLiteral("no container for %1: %2").arg(joiner.path, ffmpegErrorText(result));
        return false;
    }
    Output output(raw);
    for (const AVStream *in : layout) {
        AVStream *out = avformat_new_stream(raw, nullptr);
        if (!out || avcodec_parameters_copy(out->codecpar, in->codecpar) < 0) {
            *error = QStringLiteral("cannot add a stream to %1").arg(joiner.path);
            return false;
        }
        out->codecpar->codec_tag = 0;
        out->time_base = in->time_base;
    }
    if (!(raw->oformat->flags & AVFMT_NOFILE)) {
        result = avio_open(&raw->pb, outPath.constData(), AVIO_FLAG_WRITE);
        if (result < 0) {
            *error
                = QStringLiteral("cannot write %1: %2").arg(joiner.path, ffmpegErrorText(result));
            return false;
        }
    }
    result = avformat_write_header(raw, nullptr);
    if (result < 0) {
        *error = QStringLiteral("cannot start %1: %2").arg(joiner.path, ffmpegErrorText(result));
        return false;
    }

    std::vector<int64_t> lastDts(layout.size(), AV_NOPTS_VALUE);
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    for (int t = 0; t < tracks.size(); ++t) {
        JoinInput input = t == 0 ? std::move(first) : openJoinInput(tracks[t]->path, error);
        if (!input)
            return false;
        const std::vector<AVStream *> streams = copiedStreams(input.get());
        bool matches = streams.size() == layout.size();
        for (size_t i = 0; matches && i < streams.size(); ++i)
            matches = sameLayout(streams[i]->codecpar, raw->streams[i]->codecpar);
        if (!matches) {
            *error = QStringLiteral("%1 does not hold the streams of %2")
                         .arg(tracks[t]->path, tracks.first()->path);
            return false;
        }
        const int64_t position = int64_t(tracks[t]->position * 1e6);
        const int64_t start = input->start_time == AV_NOPTS_VALUE ? 0 : input->start_time;
        while ((result = av_read_frame(input.get(), packet.get())) >= 0) {
            const auto found
                = std::find(streams.begin(), streams.end(), input->streams[packet->stream_index]);
            if (found == streams.end()) {
                av_packet_unref(packet.get());
                continue;
            }
            const size_t index = size_t(found - streams.begin());
            AVStream *out = raw->streams[index];
            const int64_t shift = av_rescale_q(position - start, kEngineTimeBase, out->time_base);
            av_packet_rescale_ts(packet.get(), (*found)->time_base, out->time_base);
            if (packet->pts != AV_NOPTS_VALUE)
                packet->pts += shift;
            if (packet->dts != AV_NOPTS_VALUE)
                packet->dts += shift;
            // Tracks that overlap must not take the muxer's timestamps backwards.
            if (packet->dts != AV_NOPTS_VALUE && lastDts[index] != AV_NOPTS_VALUE
                && packet->dts <= lastDts[index]) {
                const int64_t push = lastDts[index] + 1 - packet->dts;
                packet->dts += push;
                if (packet->pts != AV_NOPTS_VALUE)
                    packet->pts += push;
            }
            if (packet->dts != AV_NOPTS_VALUE)
                lastDts[index] = packet->dts;
            packet->stream_index = int(index);
            packet->pos = -1;
            result = av_interleaved_write_frame(raw, packet.get());
            if (result < 0) {
                *error = QStringLiteral("cannot write %1: %2")
                             .arg(joiner.path, ffmpegErrorText(result));
                return false;
            }
        }
        if (result != AVERROR_EOF) {
            *error = QStringLiteral("cannot read %1: %2")
                         .arg(tracks[t]->path, ffmpegErrorText(result));
            return false;
        }
    }
    result = av_write_trailer(raw);
    if (result < 0) {
        *error = QStringLiteral("cannot finish %1: %2").arg(joiner.path, ffmpegErrorText(result));
        return false;
    }
    return true;
}

} // namespace

namespace Reelsmith::detail {

bool joinByStreamCopy(const VideoJoiner &joiner, QString *error)
{
    return runJoin(joiner, join, error);
}

} // namespace Reelsmith::detail
