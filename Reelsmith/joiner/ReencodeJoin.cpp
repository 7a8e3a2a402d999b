#include "Reelsmith/joiner/ReencodeJoin.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/FFmpegPointers.h"
#include "Reelsmith/detail/LMCodecLock.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/joiner/JoinInput.h"
#include "Reelsmith/joiner/VideoJoiner.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <vector>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

using namespace Reelsmith::detail;

namespace {

// The encoder's input: what writeSample takes, one place for both the filters and the silence.
constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;

struct GraphDeleter
{
    void operator()(AVFilterGraph *graph) const { avfilter_graph_free(&graph); }
};
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphDeleter>;

// atempo takes factors from 0.5 to 100; slower rates are a chain of halvings and a remainder.
QString tempoFilters(double rate)
{
    QStringList filters;
    while (rate < 0.5) {
        filters << QStringLiteral("atempo=0.5");
        rate /= 0.5;
    }
    if (std::fabs(rate - 1.0) > 1e-9)
        filters << QStringLiteral("atempo=%1").arg(rate, 0, 'f', 6);
    return filters.join(u',');
}

// One decoded stream of one track and the filters that put it on the output's clock.
class TrackStream
{
public:
    bool open(AVFormatContext *input, AVMediaType type, QString *error);
    bool isOpen() const { return m_stream != nullptr; }
    int index() const { return m_stream ? m_stream->index : -1; }

    // Video: "setpts" retimes by the rate, "fps" resamples to the output's frame rate.
    bool buildVideoFilters(double rate, AVRational fps, QString *error);
    // Audio: "atempo" keeps the pitch at other rates; the output is what writeSample takes.
    bool buildAudioFilters(double rate, QString *error);

    // Decodes the packet (null: drain) and hands every filtered frame to sink. False on an error.
    template <typename Sink> bool feed(const AVPacket *packet, Sink &&sink, QString *error);

private:
    bool
    configure(const QString &source, const char *sinkName, const QString &chain, QString *error);
    template <typename Sink> bool pull(Sink &&sink, QString *error);

    AVStream *m_stream = nullptr;
    CodecContextPtr m_decoder;
    GraphPtr m_graph;
    AVFilterContext *m_source = nullptr;
    AVFilterContext *m_sink = nullptr;
    FramePtr m_frame{av_frame_alloc()};
    FramePtr m_filtered{av_frame_alloc()};
};

bool TrackStream::open(AVFormatContext *input, AVMediaType type, QString *error)
{
    const AVCodec *codec = nullptr;
    const int found = av_find_best_stream(input, type, -1, -1, &codec, 0);
    if (found < 0 || !codec)
        return true; // the track has no such stream: not an error
    AVStream *stream = input->streams[found];
    if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
        return true;
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), stream->codecpar) < 0) {
        *error
            = QStringLiteral("no decoder for %1").arg(avcodec_get_name(stream->codecpar->codec_id));
        return false;
    }
    m_decoder->thread_count = 0;
    m_decoder->pkt_timebase = stream->time_base;
    int result;
    {
        LMCodecLocker locked;
        result = avcodec_open2(m_decoder.get(), codec, nullptr);
    }
    if (result < 0) {
        *error = QStringLiteral("cannot open the %1 decoder: %2")
                     .arg(avcodec_get_name(stream->codecpar->codec_id), ffmpegErrorText(result));
        return false;
    }
    m_stream = stream;
    return true;
}

bool TrackStream::configure(const QString &source,
                            const char *sinkName,
                            const QString &chain,
                            QString *error)
{
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    const bool video = m_stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    int result = avfilter_graph_create_filter(&m_source,
                                              avfilter_get_by_name(video ? "buffer" : "abuffer"),
                                              "in",
                                              source.toUtf8().constData(),
                                              nullptr,
                                              m_graph.get());
    if (result >= 0)
        result = avfilter_graph_create_filter(
            &m_sink, avfilter_get_by_name(sinkName), "out", nullptr, nullptr, m_graph.get());
    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    if (result >= 0 && outputs && inputs) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = m_source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = m_sink;
        result = avfilter_graph_parse_ptr(
            m_graph.get(), chain.toUtf8().constData(), &inputs, &outputs, nullptr);
    }
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (result >= 0)
        result = avfilter_graph_config(m_graph.get(), nullptr);
    if (result < 0) {
        *error = QStringLiteral("cannot set up the filters \"%1\": %2")
                     .arg(chain, ffmpegErrorText(result));
        return false;
    }
    return true;
}

bool TrackStream::buildVideoFilters(double rate, AVRational fps, QString *error)
{
    const AVCodecContext *c = m_decoder.get();
    const AVRational sar
        = c->sample_aspect_ratio.num > 0 ? c->sample_aspect_ratio : AVRational{1, 1};
    const QString source = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:"
                                          "pixel_aspect=%6/%7")
                               .arg(c->width)
                               .arg(c->height)
                               .arg(int(c->pix_fmt))
                               .arg(m_stream->time_base.num)
                               .arg(m_stream->time_base.den)
                               .arg(sar.num)
                               .arg(sar.den);
    const QString chain = QStringLiteral("setpts=(PTS-STARTPTS)/%1,fps=%2/%3")
                              .arg(rate, 0, 'f', 6)
                              .arg(fps.num)
                              .arg(fps.den);
    return configure(source, "buffersink", chain, error);
}

bool TrackStream::buildAudioFilters(double rate, QString *error)
{
    const AVCodecContext *c = m_decoder.get();
    char layout[128] = {};
    AVChannelLayout channels{};
    if (c->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&channels, c->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&channels, &c->ch_layout);
    av_channel_layout_describe(&channels, layout, sizeof layout);
    av_channel_layout_uninit(&channels);
    const QString source = QStringLiteral("time_base=1/%1:sample_rate=%1:sample_fmt=%2:"
                                          "channel_layout=%3")
                               .arg(c->sample_rate)
                               .arg(av_get_sample_fmt_name(c->sample_fmt))
                               .arg(QString::fromUtf8(layout));
    QStringList chain{QStringLiteral("asetpts=PTS-STARTPTS")};
    const QString tempo = tempoFilters(rate);
    if (!tempo.isEmpty())
        chain << tempo;
    chain << QStringLiteral("aresample=%1").arg(kSampleRate)
          << QStringLiteral("aformat=sample_fmts=flt:channel_layouts=stereo");
    return configure(source, "abuffersink", chain.join(u','), error);
}

template <typename Sink> bool TrackStream::pull(Sink &&sink, QString *error)
{
    for (;;) {
        const int result = av_buffersink_get_frame(m_sink, m_filtered.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0) {
            *error = QStringLiteral("filtering failed: %1").arg(ffmpegErrorText(result));
            return false;
        }
        sink(m_filtered.get());
        av_frame_unref(m_filtered.get());
    }
}

template <typename Sink> bool TrackStream::feed(const AVPacket *packet, Sink &&sink, QString *error)
{
    int result = avcodec_send_packet(m_decoder.get(), packet);
    // A damaged packet is skipped, as a player would; only the decoder's end stops the stream.
    if (result < 0 && result != AVERROR_EOF && packet)
        return true;
    for (;;) {
        result = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (result == AVERROR(EAGAIN))
            return true;
        if (result == AVERROR_EOF)
            break;
        if (result < 0)
            return true;
        m_frame->pts = m_frame->best_effort_timestamp;
        result = av_buffersrc_add_frame_flags(m_source, m_frame.get(), AV_BUFFERSRC_FLAG_KEEP_REF);
        av_frame_unref(m_frame.get());
        if (result < 0) {
            *error = QStringLiteral("filtering failed: %1").arg(ffmpegErrorText(result));
            return false;
        }
        if (!pull(sink, error))
            return false;
    }
    // The decoder is drained: so are the filters.
    result = av_buffersrc_add_frame_flags(m_source, nullptr, 0);
    return result >= 0 && pull(sink, error);
}

// The picture size and frame rate of the output: the first track that has video decides.
struct VideoShape
{
    bool found = false;
    int width = 0;
    int height = 0;
    AVRational fps{25, 1};
    int64_t bitRate = 0;
    AVRational sar{0, 1};
};

VideoShape videoShape(const VideoJoinerItemList &tracks)
{
    VideoShape shape;
    for (const auto &track : tracks) {
        QString ignored;
        JoinInput input = openJoinInput(track->path, &ignored);
        if (!input)
            continue;
        const int found = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (found < 0 || input->streams[found]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            continue;
        const AVStream *stream = input->streams[found];
        shape.found = true;
        // The encoders take even sizes only.
        shape.width = stream->codecpar->width & ~1;
        shape.height = stream->codecpar->height & ~1;
        AVRational rate
            = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
        if (rate.num > 0 && rate.den > 0 && av_q2d(rate) <= 120)
            shape.fps = rate;
        shape.bitRate = stream->codecpar->bit_rate;
        shape.sar = stream->codecpar->sample_aspect_ratio;
        return shape;
    }
    return shape;
}

bool anyAudio(const VideoJoinerItemList &tracks)
{
    for (const auto &track : tracks) {
        QString ignored;
        JoinInput input = openJoinInput(track->path, &ignored);
        if (input && av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0)
            return true;
    }
    return false;
}

// Writes the tracks one after another; the output file's clocks are counted here, in frames and
// samples, so that gaps and cuts land on exact frame and sample positions.
class Joiner
{
public:
    Joiner(LMFFMovieFileOutput &output, bool video, bool audio, AVRational fps)
        : m_output(output)
        , m_video(video)
        , m_audio(audio)
        , m_fps(fps)
    {}

    bool joinTrack(const VideoJoinerItem &track, QString *error);
    // Pads the shorter stream so that both end together.
    void finish() { padTo(std::max(videoSeconds(), audioSeconds())); }

private:
    double videoSeconds() const { return double(m_frames) / av_q2d(m_fps); }
    double audioSeconds() const { return double(m_samples) / kSampleRate; }
    void padTo(double seconds);
    void blackTo(int64_t frame);
    void silenceTo(int64_t sample);
    void writeVideo(const AVFrame *frame, int64_t trackStart);
    void writeAudio(const AVFrame *frame, int64_t trackStart);

    LMFFMovieFileOutput &m_output;
    const bool m_video;
    const bool m_audio;
    const AVRational m_fps;
    int64_t m_frames = 0;
    int64_t m_samples = 0;
};

void Joiner::padTo(double seconds)
{
    if (m_video)
        blackTo(int64_t(std::llround(seconds * av_q2d(m_fps))));
    if (m_audio)
        silenceTo(int64_t(std::llround(seconds * kSampleRate)));
}

void Joiner::blackTo(int64_t frame)
{
    for (; m_frames < frame; ++m_frames)
        m_output.writeEmptyVideoFrame();
}

void Joiner::silenceTo(int64_t sample)
{
    static const std::vector<float> silence(size_t(1024 * kChannels), 0.0f);
    while (m_samples < sample) {
        const int n = int(std::min<int64_t>(1024, sample - m_samples));
        m_output.writeSample(reinterpret_cast<const uint8_t *>(silence.data()), n);
        m_samples += n;
    }
}

void Joiner::writeVideo(const AVFrame *frame, int64_t trackStart)
{
    // The fps filter numbers the track's frames from 0 in 1/fps.
    const int64_t at = trackStart + frame->pts;
    if (at < m_frames)
        return; // under the end of the track before
    blackTo(at);
    m_output.writeVideoFrame(frame);
    ++m_frames;
}

void Joiner::writeAudio(const AVFrame *frame, int64_t trackStart)
{
    const int64_t at = trackStart + frame->pts;
    const int64_t skip = std::max<int64_t>(0, m_samples - at);
    if (skip >= frame->nb_samples)
        return;
    silenceTo(at);
    const auto *samples = reinterpret_cast<const float *>(frame->data[0]) + skip * kChannels;
    const int count = int(frame->nb_samples - skip);
    m_output.writeSample(reinterpret_cast<const uint8_t *>(samples), count);
    m_samples += count;
}

bool Joiner::joinTrack(const VideoJoinerItem &track, QString *error)
{
    if (!(track.rate > 0) || !std::isfinite(track.rate)) {
        *error = QStringLiteral("%1 has rate %2; a rate must be above 0")
                     .arg(track.path)
                     .arg(track.rate);
        return false;
    }
    JoinInput input = openJoinInput(track.path, error);
    if (!input)
        return false;
    TrackStream video;
    TrackStream audio;
    if (m_video && !video.open(input.get(), AVMEDIA_TYPE_VIDEO, error))
        return false;
    if (m_audio && !audio.open(input.get(), AVMEDIA_TYPE_AUDIO, error))
        return false;
    if (!video.isOpen() && !audio.isOpen()) {
        *error = QStringLiteral("%1 has neither audio nor video").arg(track.path);
        return false;
    }
    if (video.isOpen() && !video.buildVideoFilters(track.rate, m_fps, error))
        return false;
    if (audio.isOpen() && !audio.buildAudioFilters(track.rate, error))
        return false;

    const double position = std::max(0.0, track.position);
    // A track starts where it is placed, or where the one before it ended when that is later.
    padTo(position);
    const auto videoStart = int64_t(std::llround(position * av_q2d(m_fps)));
    const auto audioStart = int64_t(std::llround(position * kSampleRate));
    auto toVideo = [&](const AVFrame *frame) { writeVideo(frame, videoStart); };
    auto toAudio = [&](const AVFrame *frame) { writeAudio(frame, audioStart); };

    PacketPtr packet(av_packet_alloc());
    int result;
    while ((result = av_read_frame(input.get(), packet.get())) >= 0) {
        bool ok = true;
        if (packet->stream_index == video.index())
            ok = video.feed(packet.get(), toVideo, error);
        else if (packet->stream_index == audio.index())
            ok = audio.feed(packet.get(), toAudio, error);
        av_packet_unref(packet.get());
        if (!ok)
            return false;
        if (m_output.hasWriteError()) {
            *error = m_output.lastError();
            return false;
        }
    }
    if (result != AVERROR_EOF) {
        *error = QStringLiteral("cannot read %1: %2").arg(track.path, ffmpegErrorText(result));
        return false;
    }
    if (video.isOpen() && !video.feed(nullptr, toVideo, error))
        return false;
    if (audio.isOpen() && !audio.feed(nullptr, toAudio, error))
        return false;
    // A track without sound (or picture) is silent (or black) for as long as it lasts.
    padTo(std::max(videoSeconds(), audioSeconds()));
    return !m_output.hasWriteError() || (*error = m_output.lastError(), false);
}

bool join(const VideoJoiner &joiner, QString *error)
{
    const VideoJoinerItemList tracks = tracksByPosition(joiner);
    if (tracks.isEmpty()) {
        *error = QStringLiteral("no tracks to join");
        return false;
    }
    const VideoShape shape = videoShape(tracks);
    const bool audio = anyAudio(tracks);
    if (!shape.found && !audio) {
        *error = QStringLiteral("no track has audio or video");
        return false;
    }

    LMFFMovieFileOutput output;
    output.setPath(joiner.path);
    LMFFMovieFileOutputFormat format = lm_get_default_movie_file_ouput_format();
    format.width = shape.width;
    format.height = shape.height;
    format.framerate = shape.fps.num;
    format.frameTime = shape.fps.den;
    if (shape.bitRate > 0)
        format.video_bitrate = int32_t(std::min<int64_t>(shape.bitRate * 2, 50000000));
    if (shape.sar.num > 0 && shape.sar.den > 0 && shape.height > 0)
        format.aspect = float(av_q2d(shape.sar) * shape.width / shape.height);
    format.sample_rate = kSampleRate;
    output.setMovieFormat(format);
    LMFFAudioFormat input = lm_get_default_audio_format();
    input.sample_rate = kSampleRate;
    output.setAudioInputFormat(input);
    if (!output.createMovieOutput()) {
        *error = QStringLiteral("no container for %1: %2").arg(joiner.path, output.lastError());
        return false;
    }
    if (shape.found)
        output.openVideo();
    if (audio)
        output.openAudio();
    if ((shape.found && !output.isVideoOpen()) || (audio && !output.isAudioOpen())) {
        *error = QStringLiteral("cannot encode %1: %2").arg(joiner.path, output.lastError());
        return false;
    }
    if (!output.startOutput()) {
        *error = QStringLiteral("cannot write %1: %2").arg(joiner.path, output.lastError());
        return false;
    }
    Joiner writer(output, shape.found, audio, shape.fps);
    for (const auto &track : tracks) {
        if (!writer.joinTrack(*track, error)) {
            output.stopOutput();
            return false;
        }
    }
    writer.finish();
    if (!output.stopOutput()) {
        *error = QStringLiteral("cannot finish %1: %2").arg(joiner.path, output.lastError());
        return false;
    }
    return true;
}

} // namespace

namespace Reelsmith::detail {

bool joinByReencoding(const VideoJoiner &joiner, QString *error)
{
    return runJoin(joiner, join, error);
}

} // namespace Reelsmith::detail
