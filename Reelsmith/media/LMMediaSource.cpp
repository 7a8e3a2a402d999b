#include "Reelsmith/media/LMMediaSource.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LMCodecLock.h"
#include "Reelsmith/detail/LibrarySetup.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"

#include <QFileInfo>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcSource, "discwright.reelsmith.source", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcSource;

using Reelsmith::detail::ffmpegErrorText;
using Reelsmith::detail::kEngineTimeBase;

std::shared_ptr<LMMediaSource> LMMediaSource::mediaWithPath(const QString &path)
{
    return std::make_shared<LMMediaSource>(path);
}

LMMediaSource::LMMediaSource(const QString &path)
    : m_fullpath(path)
{
    Reelsmith::detail::ensureLibrarySetUp();
}

AVIOContext *LMMediaSource::makeReadContext(int bufferSize,
                                            void *opaque,
                                            int (*read)(void *, uint8_t *, int),
                                            int64_t (*seek)(void *, int64_t, int))
{
    auto *buffer = static_cast<unsigned char *>(av_malloc(size_t(bufferSize)));
    if (!buffer)
        return nullptr;
    AVIOContext *context = avio_alloc_context(buffer, bufferSize, 0, opaque, read, nullptr, seek);
    if (!context) {
        av_free(buffer);
        return nullptr;
    }
    context->max_packet_size = bufferSize;
    return context;
}

void LMMediaSource::closeDemuxer()
{
    m_formatContext.reset();
}

LMMediaSource::~LMMediaSource() = default;

std::shared_ptr<LMMediaSource> LMMediaSource::makeEmptyCopy() const
{
    return std::make_shared<LMMediaSource>();
}

std::shared_ptr<LMMediaSource> LMMediaSource::copy() const
{
    std::shared_ptr<LMMediaSource> other = makeEmptyCopy();
    other->setFullpath(fullpath());
    return other;
}

QString LMMediaSource::fullpath() const
{
    std::lock_guard guard(m_pathLock);
    return m_fullpath;
}

void LMMediaSource::setFullpath(const QString &path)
{
    std::lock_guard guard(m_pathLock);
    m_fullpath = path;
}

QString LMMediaSource::sourceKey() const
{
    return QStringLiteral("path-source:%1").arg(path());
}

std::optional<int64_t> LMMediaSource::get_video_or_audio_stream_start_time(const AVStream *stream)
{
    // Only video decides: audio often starts a little before the picture (encoder priming),
    // and placing the timeline there would show the first frames late.
    if (!stream || !stream->codecpar || stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
        return std::nullopt;
    if (stream->start_time == AV_NOPTS_VALUE)
        return std::nullopt;
    return av_rescale_q(stream->start_time, stream->time_base, kEngineTimeBase);
}

std::optional<int64_t> LMMediaSource::get_movie_real_start_time(const AVFormatContext *context)
{
    if (!context)
        return std::nullopt;
    std::optional<int64_t> best;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const std::optional<int64_t> start
            = get_video_or_audio_stream_start_time(context->streams[i]);
        if (start && *start > 0 && (!best || *start < *best))
            best = start;
    }
    return best;
}

void LMMediaSource::open()
{
    if (isOpen())
        return;
    m_lastError.clear();
    AVFormatContext *context = avformat_alloc_context();
    if (!context) {
        m_lastError = QStringLiteral("cannot allocate a demuxer context");
        return;
    }
    context->pb = avio_context();
    if (context->pb)
        context->flags |= AVFMT_FLAG_CUSTOM_IO;
    const QByteArray utf8 = path().toUtf8();
    // On failure FFmpeg frees the context and leaves it null.
    int result = avformat_open_input(&context, utf8.constData(), nullptr, nullptr);
    if (result < 0 || !context) {
        m_lastError = QStringLiteral("cannot open %1: %2").arg(path(), ffmpegErrorText(result));
        qCDebug(lcSource) << m_lastError;
        return;
    }
    Reelsmith::detail::InputContextPtr opened(context);
    {
        LMCodecLocker locked;
        result = avformat_find_stream_info(context, nullptr);
        if (result >= 0 && context->nb_streams > 0) {
            if (context->iformat && context->iformat->name) {
                if (const std::optional<int64_t> start = get_movie_real_start_time(context))
                    context->start_time = *start;
            }
            m_formatContext = std::move(opened);
        }
    }
    if (!m_formatContext) {
        // Something FFmpeg could open but not read as media (random bytes often look like a
        // stream-less raw format): refuse it rather than hand out an input without streams.
        m_lastError
            = result < 0
                  ? QStringLiteral("cannot probe %1: %2").arg(path(), ffmpegErrorText(result))
                  : QStringLiteral("no streams in %1").arg(path());
        qCDebug(lcSource) << m_lastError;
    }
}

QList<std::shared_ptr<LMFFMedia>> LMMediaSource::createMediasWithStreams(const LMIndexSet &streams)
{
    std::shared_ptr<LMFFMedia> media = LMFFMedia::mediaWithSource(shared_from_this(), streams);
    media->open();
    QSet<int> videos;
    QSet<int> audios;
    for (const auto &stream : media->streams()) {
        if (!stream->enable)
            continue;
        if (stream->isVideo())
            videos.insert(stream->streamIndex());
        else if (stream->isAudio())
            audios.insert(stream->streamIndex());
    }
    if (!videos.isEmpty() && !audios.isEmpty()) {
        // Video and audio read side by side over two demuxers, so reading audio ahead never
        // has to hold back or skip video packets.
        std::shared_ptr<LMFFMedia> audioMedia = media->copy();
        audioMedia->selectStreams = audios;
        audioMedia->open();
        media->selectStreams = videos;
        media->updateSelectStreams();
        return {media, audioMedia};
    }
    if (videos.isEmpty() && audios.isEmpty())
        return {};
    media->selectStreams = videos.isEmpty() ? audios : videos;
    media->updateSelectStreams();
    return {media};
}

int64_t LMMediaSource::start_time() const
{
    if (!m_formatContext || m_formatContext->start_time == AV_NOPTS_VALUE)
        return 0;
    return m_formatContext->start_time;
}

int64_t LMMediaSource::duration() const
{
    if (!m_formatContext || m_formatContext->duration == AV_NOPTS_VALUE)
        return 0;
    return m_formatContext->duration;
}

QList<QVariantMap> LMMediaSource::find_chapters() const
{
    QList<QVariantMap> chapters;
    if (!m_formatContext)
        return chapters;
    for (unsigned i = 0; i < m_formatContext->nb_chapters; ++i) {
        const AVChapter *chapter = m_formatContext->chapters[i];
        QVariantMap record;
        record.insert(QStringLiteral("index"), int(i));
        record.insert(QStringLiteral("id"), qint64(chapter->id));
        record.insert(QStringLiteral("start"),
                      qint64(av_rescale_q(chapter->start, chapter->time_base, kEngineTimeBase)));
        record.insert(QStringLiteral("stop"),
                      qint64(av_rescale_q(chapter->end, chapter->time_base, kEngineTimeBase)));
        const QString title
            = getMetadataValueForKeyInDict(QStringLiteral("title"), chapter->metadata);
        if (!title.isNull())
            record.insert(QStringLiteral("title"), title);
        chapters.append(record);
    }
    return chapters;
}

QString LMMediaSource::name() const
{
    return QFileInfo(path()).completeBaseName();
}

QString LMMediaSource::formatName() const
{
    if (!m_formatContext || !m_formatContext->iformat || !m_formatContext->iformat->name)
        return QString();
    return QString::fromUtf8(m_formatContext->iformat->name);
}

QString LMMediaSource::codecTagString(uint32_t tag)
{
    // Exactly four characters from the integer: the tag is not a terminated string, so it must
    // never be printed as one.
    QString text;
    for (int i = 0; i < 4; ++i)
        text.append(QChar(char16_t((tag >> (8 * i)) & 0xff)));
    return text;
}

QStringList LMMediaSource::codecs() const
{
    QStringList tags;
    if (!m_formatContext)
        return tags;
    for (unsigned i = 0; i < m_formatContext->nb_streams; ++i)
        tags.append(codecTagString(m_formatContext->streams[i]->codecpar->codec_tag));
    return tags;
}

int LMMediaSource::find_best_video_stream() const
{
    if (!m_formatContext)
        return AVERROR_DECODER_NOT_FOUND;
    return av_find_best_stream(m_formatContext.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
}

QString LMMediaSource::getMetadataValueForKeyInDict(const QString &key, const AVDictionary *dict)
{
    if (!dict)
        return QString();
    const AVDictionaryEntry *entry = av_dict_get(dict, key.toUtf8().constData(), nullptr, 0);
    if (!entry || !entry->value)
        return QString();
    return QString::fromUtf8(entry->value);
}

void LMMediaSource::logMedadata(const AVDictionary *dict)
{
    if (!lcSource().isDebugEnabled())
        return;
    qCDebug(lcSource, "%d", av_dict_count(dict));
    const AVDictionaryEntry *entry = nullptr;
    while ((entry = av_dict_get(dict, "", entry, AV_DICT_IGNORE_SUFFIX)))
        qCDebug(lcSource, "%s %s", entry->key, entry->value);
}

void LMMediaSource::logFormatContext(const AVFormatContext *context)
{
    if (!context || !lcSource().isDebugEnabled())
        return;
    logMedadata(context->metadata);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        logMedadata(context->streams[i]->metadata);
        const QByteArray tag = codecTagString(context->streams[i]->codecpar->codec_tag).toLatin1();
        // A precision, not a width: the four tag bytes carry no terminator.
        qCDebug(lcSource, "%.4s", tag.constData());
    }
}

void LMMediaSource::print_source_stream_info()
{
    open();
    if (!m_formatContext || !lcSource().isDebugEnabled())
        return;
    logMedadata(m_formatContext->metadata);
    for (unsigned i = 0; i < m_formatContext->nb_streams; ++i) {
        qCDebug(lcSource, "stream:%d", int(i));
        logMedadata(m_formatContext->streams[i]->metadata);
    }
    for (unsigned i = 0; i < m_formatContext->nb_chapters; ++i) {
        const AVChapter *chapter = m_formatContext->chapters[i];
        qCDebug(lcSource, "chapter:%d %d", int(i), int(chapter->id));
        qCDebug(lcSource,
                "start:%f %f",
                double(chapter->start) * av_q2d(chapter->time_base),
                double(chapter->end) * av_q2d(chapter->time_base));
        logMedadata(chapter->metadata);
    }
}
