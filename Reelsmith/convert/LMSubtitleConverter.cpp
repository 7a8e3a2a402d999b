#include "Reelsmith/convert/LMSubtitleConverter.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/media/LMAssFrame.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace {

int32_t encoderForExtension(const QString &extension)
{
    if (extension == u"srt")
        return AV_CODEC_ID_SUBRIP;
    if (extension == u"ass" || extension == u"ssa")
        return AV_CODEC_ID_ASS; // the "ssa" encoder carries the ASS id
    return AV_CODEC_ID_MOV_TEXT;
}

// A media of its own over the file holding the movie's subtitles (its external subtitle file,
// else its first file), reading only the subtitle streams: the job then never touches the
// movie's medias, which belong to the movie's decode queue.
std::shared_ptr<LMFFMedia> subtitleMediaOf(LMFFMovie &movie)
{
    std::shared_ptr<LMMediaSource> source;
    if (const auto external = movie.subtitle())
        source = external->source();
    if (!source) {
        const auto medias = movie.medias();
        if (!medias.isEmpty())
            source = medias.first()->source();
    }
    if (!source)
        return nullptr;
    auto copy = source->copy();
    copy->open();
    if (!copy->isOpen())
        return nullptr;
    QSet<int> subtitles;
    const AVFormatContext *context = copy->formatContext();
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
            subtitles.insert(int(i));
    }
    if (subtitles.isEmpty())
        return nullptr;
    auto media = LMFFMedia::mediaWithSource(copy, subtitles);
    media->open();
    return media->subtitleStream() ? media : nullptr;
}

} // namespace

double LMSubtitleConverter::progress() const
{
    return std::min(0.999,
                    double(m_convertingTime.load()) / std::max(double(m_totalTime.load()), 1.0));
}

double LMSubtitleConverter::convertingTime() const
{
    return lm_ff_time_to_double(m_convertingTime.load());
}

bool LMSubtitleConverter::convertSubtitles(const QList<std::shared_ptr<LMSegmentMovie>> &segments,
                                           const QString &path)
{
    int64_t total = 0;
    for (const auto &segment : segments)
        total += segment->duration();
    m_totalTime.store(total);
    m_convertingTime.store(0);
    m_written.store(0);
    m_lastError.clear();
    const auto movie = segments.isEmpty() ? nullptr : segments.first()->ffmovie();
    if (!movie) {
        m_lastError = QStringLiteral("no movie");
        return false;
    }
    const int64_t start = segments.first()->start();
    const int64_t stop = segments.first()->stop();

    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    LMFFMovieFileOutput output;
    output.setPath(path);
    const auto media = subtitleMediaOf(*movie);
    LMFFMediaStream *stream = media ? media->subtitleStream() : nullptr;
    if (!stream || !stream->stream()) {
        m_lastError = QStringLiteral("the movie has no subtitle stream");
        return false;
    }
    if (!stream->isOpen())
        stream->open();
    const AVCodecContext *decoder = stream->codecContext();
    output.openSubtitle(encoderForExtension(QFileInfo(path).suffix().toLower()),
                        decoder ? decoder->subtitle_header : nullptr,
                        decoder ? decoder->subtitle_header_size : 0);
    if (!output.isSubtitleOpen() || !output.startOutput()) {
        m_lastError = output.lastError().isEmpty() ? QStringLiteral("no subtitle file for the path")
                                                   : output.lastError();
        output.stopOutput();
        QFile::remove(path);
        return false;
    }
    // Read from the file's start, never after a seek: a seek reads forward to its target and
    // passes the subtitle packets it meets to nobody, so the events before the start (and often
    // the first one after it) would be lost. The events before the start are skipped below.
    while (!m_cancelled.load()) {
        const auto event = media->readNextSubtitle();
        if (!event)
            break;
        if (event->pts < start)
            continue;
        if (event->pts > stop)
            break;
        AVSubtitle subtitle{};
        subtitle.format = 1;
        subtitle.start_display_time = event->start_display_time;
        subtitle.end_display_time = event->end_display_time;
        subtitle.pts = event->pts;
        subtitle.rects = static_cast<AVSubtitleRect **>(av_mallocz(sizeof(AVSubtitleRect *)));
        if (subtitle.rects)
            subtitle.rects[0] = static_cast<AVSubtitleRect *>(av_mallocz(sizeof(AVSubtitleRect)));
        if (subtitle.rects && subtitle.rects[0]) {
            subtitle.num_rects = 1;
            subtitle.rects[0]->type = SUBTITLE_ASS;
            subtitle.rects[0]->ass = av_strdup(event->ass.toUtf8().constData());
            output.writeSubtitle(subtitle);
            m_written.fetch_add(1);
        }
        avsubtitle_free(&subtitle);
        m_convertingTime.store(std::clamp<int64_t>(event->pts - start, 0, total));
        if (output.hasWriteError())
            break;
    }
    const bool written = output.stopOutput();
    if (!written && m_lastError.isEmpty())
        m_lastError = output.lastError();
    const bool ok = written && !m_cancelled.load();
    if (!ok)
        QFile::remove(path);
    return ok;
}
