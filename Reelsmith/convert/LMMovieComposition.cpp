#include "Reelsmith/convert/LMMovieComposition.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/movie/LMFFMovie.h"

#include <QFile>
#include <QLoggingCategory>
#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

using Reelsmith::detail::ffmpegErrorText;
using Reelsmith::detail::kEngineTimeBase;

namespace {
Q_LOGGING_CATEGORY(lcRemux, "discwright.reelsmith.convert.remux", QtWarningMsg)
}

QList<std::shared_ptr<LMMovieCompositionTrack>> LMMovieComposition::tracks() const
{
    std::lock_guard guard(m_lock);
    return m_tracks;
}

void LMMovieComposition::setTracks(const QList<std::shared_ptr<LMMovieCompositionTrack>> &tracks)
{
    std::lock_guard guard(m_lock);
    m_tracks = tracks;
}

std::shared_ptr<LMMovieCompositionTrack>
LMMovieComposition::insert(const QString &path, double position, double rate)
{
    auto track = LMMovieCompositionTrack::makeTrack();
    track->setPath(path);
    track->position = position;
    track->rate = rate;
    insertTrack(track);
    return track;
}

void LMMovieComposition::insertTrack(const std::shared_ptr<LMMovieCompositionTrack> &track)
{
    std::lock_guard guard(m_lock);
    m_tracks.append(track);
}

double LMMovieComposition::progress() const
{
    return std::min(0.99, m_exportDuration.load() / std::max(m_totalDuration.load(), 1.0));
}

QString LMMovieComposition::lastError() const
{
    std::lock_guard guard(m_lock);
    return m_lastError;
}

bool LMMovieComposition::exportToFile(const QString &path)
{
    m_cancelled.store(false);
    m_exportDuration.store(0);
    LMFFMovie::initialize();
    const auto fail = [&](const QString &why, int code) {
        std::lock_guard guard(m_lock);
        m_lastError = code ? QStringLiteral("%1: %2").arg(why, ffmpegErrorText(code)) : why;
        qCWarning(lcRemux).noquote() << path << m_lastError;
    };
    {
        std::lock_guard guard(m_lock);
        m_lastError.clear();
    }

    AVFormatContext *output = nullptr;
    const QByteArray name = path.toUtf8();
    int result = avformat_alloc_output_context2(&output, nullptr, nullptr, name.constData());
    if (result < 0 || !output) {
        fail(QStringLiteral("no muxer for the path"), result);
        return false;
    }
    output->max_delay = 700000;

    const auto list = tracks();
    double total = 0;
    int mapped = 0;
    for (const auto &track : list) {
        track->map = -1;
        track->finished = false;
        track->dts = 0;
        AVStream *source = track->avstream();
        if (!source || !source->codecpar)
            continue;
        AVStream *stream = avformat_new_stream(output, nullptr);
        if (!stream)
            continue;
        avcodec_parameters_copy(stream->codecpar, source->codecpar);
        stream->codecpar->codec_tag = 0;
        stream->r_frame_rate = source->r_frame_rate;
        stream->avg_frame_rate = source->avg_frame_rate;
        stream->time_base = source->time_base;
        stream->sample_aspect_ratio = source->sample_aspect_ratio;
        if (!track->languageCode.isEmpty())
            av_dict_set(&stream->metadata, "language", track->languageCode.toUtf8().constData(), 0);
        track->map = stream->index;
        ++mapped;
        total = std::max(total, track->position + track->duration());
    }
    m_totalDuration.store(total);

    // Nothing is written unless the whole set-up stood: streams, file and header.
    bool ready = mapped > 0;
    bool fileOpen = false;
    if (!ready)
        fail(QStringLiteral("no track has a stream to copy"), 0);
    if (ready && !(output->oformat->flags & AVFMT_NOFILE)) {
        result = avio_open(&output->pb, name.constData(), AVIO_FLAG_WRITE);
        fileOpen = result >= 0;
        if (!fileOpen) {
            fail(QStringLiteral("cannot open the file"), result);
            ready = false;
        }
    }
    if (ready) {
        result = avformat_write_header(output, nullptr);
        if (result < 0) {
            fail(QStringLiteral("cannot write the header"), result);
            ready = false;
        }
    }

    bool writeError = false;
    AVPacket *packet = av_packet_alloc();
    for (int t = 0; ready && packet && !m_cancelled.load() && !writeError; ++t) {
        bool unfinished = false;
        for (const auto &track : list) {
            if (m_cancelled.load() || writeError)
                break;
            if (track->map < 0)
                continue;
            m_exportDuration.store(double(t));
            AVStream *source = track->avstream();
            AVStream *stream = output->streams[track->map];
            const double shift = track->position - track->startTime();
            const int64_t offset
                = av_rescale_q(int64_t(shift * 1000000), kEngineTimeBase, stream->time_base);
            while (!track->finished && track->dts < t + 1 - shift) {
                if (!track->readFrame(packet))
                    break;
                const bool subtitle = source->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE;
                packet->stream_index = track->map;
                if (packet->pts != AV_NOPTS_VALUE)
                    packet->pts
                        = av_rescale_q(packet->pts, source->time_base, stream->time_base) + offset;
                if (packet->dts != AV_NOPTS_VALUE)
                    packet->dts
                        = av_rescale_q(packet->dts, source->time_base, stream->time_base) + offset;
                packet->duration
                    = subtitle
                          ? av_rescale_q(packet->duration, source->time_base, stream->time_base)
                          : 0;
                packet->pos = -1;
                result = av_interleaved_write_frame(output, packet);
                av_packet_unref(packet);
                if (result < 0) {
                    fail(QStringLiteral("cannot write a packet"), result);
                    writeError = true;
                    break;
                }
            }
            unfinished = unfinished || !track->finished;
        }
        if (!unfinished)
            break;
    }
    av_packet_free(&packet);

    if (ready) {
        if (av_interleaved_write_frame(output, nullptr) < 0 && !writeError)
            writeError = true;
        if (av_write_trailer(output) < 0 && !writeError) {
            fail(QStringLiteral("cannot write the trailer"), 0);
            writeError = true;
        }
    }
    if (fileOpen) {
        avio_flush(output->pb);
        if (output->pb->error < 0 && !writeError) {
            fail(QStringLiteral("cannot write the file"), output->pb->error);
            writeError = true;
        }
        avio_closep(&output->pb);
    }
    avformat_free_context(output);

    const bool ok = ready && !writeError && !m_cancelled.load();
    if (!ok)
        QFile::remove(path);
    else
        m_exportDuration.store(total);
    return ok;
}
