#include "Reelsmith/movie/LMFFMovie.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMFFPacket.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMSubtitleSource.h"
#include "platform/FitRect.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <platform/Assert.h>
#include <vector>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcMovie, "discwright.reelsmith.movie", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::detail::kEngineTimeBase;

namespace {

constexpr double kOutputRate = 44100.0;

} // namespace

void LMFFMovie::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

void LMFFMovie::open_debug_info()
{
    av_log_set_level(AV_LOG_DEBUG);
}

LMFFMovie::LMFFMovie()
    : m_cachedMovieImage(std::make_shared<LMMovieImage>())
{
    initialize();
}

LMFFMovie::~LMFFMovie()
{
    DW_ASSERT(!m_decodeQueue.isCurrent(), return );
    LMOutputAudioGraph *graph = audioOutputGraph();
    if (graph) {
        // After this no render cycle calls back into the movie.
        graph->setDelegate(nullptr);
        graph->stop();
    }
    // What is still queued runs against a whole movie.
    m_decodeQueue.shutdown();
}

void LMFFMovie::close()
{
    std::unique_ptr<LMOutputAudioGraph> graph;
    {
        std::lock_guard guard(m_mediaLock);
        if (m_audioOutputGraph)
            m_audioOutputGraph->setDelegate(nullptr);
    }
    // Queued work may still read the medias; they go once it has run.
    m_decodeQueue.run(
        [&] {
            std::lock_guard guard(m_mediaLock);
            m_medias.clear();
            m_subtitle.reset();
            graph = std::move(m_audioOutputGraph);
        },
        true);
    graph.reset();
}

// Opening.

void LMFFMovie::openMedias(const QList<std::shared_ptr<LMFFMedia>> &medias)
{
    for (const auto &media : medias) {
        if (!media)
            continue;
        media->setMovie(this);
        media->open();
    }
    QList<std::shared_ptr<LMFFMedia>> kept;
    for (const auto &media : medias) {
        if (media)
            kept.append(media);
    }
    {
        std::lock_guard guard(m_mediaLock);
        m_medias = kept;
    }
    m_duration.store(getMaxMediaDuration());
    openAudioOutput();
    configVideoEffectStream();
    qCDebug(Reelsmith::lcMovie,
            "opened %lld medias, duration %lld us",
            (long long)kept.size(),
            (long long)duration());
}

int64_t LMFFMovie::getMaxMediaDuration() const
{
    int64_t end = 0;
    for (const auto &media : medias())
        end = std::max(end, media->movie_position + media->duration());
    return end;
}

void LMFFMovie::openAudioOutput()
{
    std::lock_guard guard(m_mediaLock);
    if (!m_audioOutputGraph)
        m_audioOutputGraph = std::make_unique<LMOutputAudioGraph>();
    m_audioOutputGraph->setDelegate(this);
}

void LMFFMovie::configVideoEffectStream()
{
    std::shared_ptr<LMFFMedia> video;
    for (const auto &media : medias()) {
        if (media->hasVideo()) {
            video = media;
            break;
        }
    }
    {
        std::lock_guard guard(m_mediaLock);
        m_videoMedia = video;
    }
    const QSizeF size = videoSize();
    m_cachedMovieImage->setCropRect(QRectF(QPointF(0, 0), size));
    m_cachedMovieImage->setOutputSize(size);
    m_cachedMovieImage->setOriginSize(size);
}

bool LMFFMovie::openSubtitle(const QString &path)
{
    auto media = LMFFMedia::mediaWithSource(LMSubtitleSource::mediaWithPath(path));
    bool kept = false;
    // The subtitle media is read on the decode queue like every other media.
    m_decodeQueue.run(
        [&] {
            {
                std::lock_guard guard(m_mediaLock);
                m_subtitle.reset();
            }
            media->setMovie(this);
            media->open();
            if (media->hasSubtitle()) {
                std::lock_guard guard(m_mediaLock);
                m_subtitle = media;
                kept = true;
            }
        },
        true);
    return kept;
}

// Queries.

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::medias() const
{
    std::lock_guard guard(m_mediaLock);
    return m_medias;
}

std::shared_ptr<LMFFMedia> LMFFMovie::subtitle() const
{
    std::lock_guard guard(m_mediaLock);
    return m_subtitle;
}

std::shared_ptr<LMFFMedia> LMFFMovie::videoMedia() const
{
    std::lock_guard guard(m_mediaLock);
    return m_videoMedia;
}

LMOutputAudioGraph *LMFFMovie::audioOutputGraph() const
{
    std::lock_guard guard(m_mediaLock);
    return m_audioOutputGraph.get();
}

int64_t LMFFMovie::currentTime() const
{
    const LMOutputAudioGraph *graph = audioOutputGraph();
    const double buffered = graph ? double(graph->bufferFrames()) : 0.0;
    return m_seekPoint.load()
           + int64_t((m_decodeSamples.load() - buffered) / kOutputRate * 1000000.0);
}

bool LMFFMovie::hasAudio() const
{
    return !audios().isEmpty();
}

bool LMFFMovie::hasVideo() const
{
    return !videos().isEmpty();
}

bool LMFFMovie::hasSubtitle() const
{
    if (subtitle())
        return true;
    return !filterMedias([](const LMFFMedia &media) { return media.hasSubtitle(); }).isEmpty();
}

QList<std::shared_ptr<LMFFMedia>>
LMFFMovie::mediasFilter(const QList<std::shared_ptr<LMFFMedia>> &medias, const MediaFilter &filter)
{
    QList<std::shared_ptr<LMFFMedia>> result;
    for (const auto &media : medias) {
        if (media && (!filter || filter(*media)))
            result.append(media);
    }
    return result;
}

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::filterMedias(const MediaFilter &filter) const
{
    return mediasFilter(medias(), filter);
}

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::audios() const
{
    return filterMedias([](const LMFFMedia &media) { return media.hasAudio(); });
}

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::videos() const
{
    return filterMedias([](const LMFFMedia &media) { return media.hasVideo(); });
}

std::shared_ptr<LMFFMedia> LMFFMovie::currentVideoMedia() const
{
    for (const auto &media : medias()) {
        if (media->isCurrentSynced && media->hasVideo())
            return media;
    }
    return nullptr;
}

std::shared_ptr<LMFFMedia> LMFFMovie::currentAudioMedia() const
{
    for (const auto &media : medias()) {
        if (media->isCurrentSynced && media->hasAudio())
            return media;
    }
    return nullptr;
}

bool LMFFMovie::isInside(const LMFFMedia &media, int64_t time)
{
    return media.movie_position <= time && time < media.movie_position + media.duration();
}

std::shared_ptr<LMFFMedia> LMFFMovie::videoMediaAtTime(int64_t t) const
{
    for (const auto &media : videos()) {
        if (isInside(*media, t))
            return media;
    }
    return nullptr;
}

int64_t LMFFMovie::currentVideoMediaMaxTime() const
{
    const std::shared_ptr<LMFFMedia> media = currentVideoMedia();
    return media ? media->movie_position + media->duration() : 0;
}

std::shared_ptr<LMFFMedia> LMFFMovie::lastOf(const QList<std::shared_ptr<LMFFMedia>> &list) const
{
    return list.isEmpty() ? nullptr : list.last();
}

float LMFFMovie::framerate() const
{
    const auto media = videoMedia();
    return media ? media->framerate() : 0.0f;
}

int64_t LMFFMovie::videoBitrate() const
{
    const auto media = videoMedia();
    return media ? media->videoBitrate() : 0;
}

double LMFFMovie::sample_aspect_ratio() const
{
    const auto media = videoMedia();
    return media ? media->sample_aspect_ratio() : 1.0;
}

LMFFVideoFormat LMFFMovie::videoFormat() const
{
    const auto media = lastOf(videos());
    return media ? media->videoFormat() : LMFFVideoFormat{-1, 0, 0};
}

int32_t LMFFMovie::videoCodec() const
{
    const auto media = lastOf(videos());
    const LMFFMediaStream *stream = media ? media->videoStream() : nullptr;
    return stream ? stream->get_codec_id() : 0;
}

LMFFAudioFormat LMFFMovie::audioFormat() const
{
    const auto media = lastOf(audios());
    return media ? media->audioFormat() : LMFFAudioFormat{0, 0, 0};
}

int32_t LMFFMovie::audioCodec() const
{
    const auto media = lastOf(audios());
    const LMFFMediaStream *stream = media ? media->audioStream() : nullptr;
    return stream ? stream->get_codec_id() : 0;
}

int64_t LMFFMovie::audioBitrate() const
{
    const auto media = lastOf(audios());
    return media ? media->audioBitrate() : 0;
}

int64_t LMFFMovie::fileBitrate() const
{
    const auto media = lastOf(medias());
    return media ? media->fileBitrate() : 0;
}

QSizeF LMFFMovie::videoSize() const
{
    const auto media = videoMedia();
    if (!media)
        return QSizeF(0, 0);
    const LMFFVideoFormat format = media->videoFormat();
    return QSizeF(format.width, format.height);
}

QSizeF LMFFMovie::videoDisplaySize() const
{
    const QSizeF size = videoSize();
    const double width = std::floor((size.width() * sample_aspect_ratio() + 2.0) / 4.0) * 4.0;
    return QSizeF(width, size.height());
}

int LMFFMovie::default_movie_rotate() const
{
    const auto list = videos();
    return list.isEmpty() ? 0 : -list.first()->videoRotation();
}

QStringList LMFFMovie::audioStreams() const
{
    const auto list = medias();
    if (list.isEmpty())
        return {};
    const auto &first = list.first();
    if (!(first->source() && first->source()->isDVD()) && !first->hasAudio()) {
        const auto withAudio = audios();
        return withAudio.isEmpty() ? QStringList() : withAudio.first()->audioNames();
    }
    return first->audioNames();
}

QStringList LMFFMovie::subtitleStreams() const
{
    const auto list = medias();
    return list.isEmpty() ? QStringList() : list.first()->subtitleNames();
}

std::optional<QSet<int>> LMFFMovie::selectAudioStreams() const
{
    const auto list = medias();
    return list.isEmpty() ? std::nullopt : list.first()->selectAudios;
}

std::optional<QSet<int>> LMFFMovie::selectSubtitleStreams() const
{
    const auto list = medias();
    return list.isEmpty() ? std::nullopt : list.first()->selectSubtitles;
}

void LMFFMovie::setSelectAudioStreams(const std::optional<QSet<int>> &tracks)
{
    m_decodeQueue.run(
        [this, tracks] {
            for (const auto &media : medias()) {
                media->selectAudios = tracks;
                media->updateSelectStreams();
            }
        },
        true);
}

void LMFFMovie::setSelectSubtitleStreams(const std::optional<QSet<int>> &tracks)
{
    m_decodeQueue.run(
        [this, tracks] {
            for (const auto &media : medias()) {
                media->selectSubtitles = tracks;
                media->updateSelectStreams();
            }
        },
        true);
}

LMFFAudioFormat LMFFMovie::defaultOutputFormat() const
{
    return lm_get_default_audio_format();
}

// The clock and seeking.

void LMFFMovie::update_current_time_to(int64_t t)
{
    m_seekPoint.store(t);
    m_decodeSamples.store(0);
    ++m_clockGeneration;
}

void LMFFMovie::forwardAudioDecodeTime(double frames)
{
    double current = m_decodeSamples.load();
    while (!m_decodeSamples.compare_exchange_weak(current, current + frames)) {
    }
}

void LMFFMovie::seek(int64_t t)
{
    update_current_time_to(t);
    const uint64_t generation = m_clockGeneration.load();
    m_decodeQueue.post([this, t, generation] {
        // A later seek (or clock update) supersedes this one: its own work will run.
        if (m_clockGeneration.load() != generation)
            return;
        ++m_performedSeeks;
        if (LMOutputAudioGraph *graph = audioOutputGraph())
            graph->clearBuffer();
        // Refills that ran between the seek and now counted audio read at the old position,
        // which has just been dropped from the output.
        m_decodeSamples.store(0);
        updateCurrentMedias(true);
        if (const auto subtitleMedia = subtitle())
            subtitleMedia->seek(0);
        qCDebug(Reelsmith::lcMovie, "seek to %lld us", (long long)t);
    });
}

void LMFFMovie::flushOperation()
{
    m_decodeQueue.waitUntilAllOperationsAreFinished();
}

void LMFFMovie::updateCurrentMedias(bool force)
{
    const int64_t now = currentTime();
    for (const auto &media : medias()) {
        const bool inside = isInside(*media, now);
        if (inside && (force || !media->isCurrentSynced))
            media->seek(now - media->movie_position);
        media->isCurrentSynced = inside;
    }
}

// Playback.

void LMFFMovie::play()
{
    if (LMOutputAudioGraph *graph = audioOutputGraph())
        graph->start();
}

void LMFFMovie::pause()
{
    if (LMOutputAudioGraph *graph = audioOutputGraph())
        graph->stop();
}

bool LMFFMovie::isPlay() const
{
    const LMOutputAudioGraph *graph = audioOutputGraph();
    return graph && graph->isStart();
}

void LMFFMovie::setRate(float rate)
{
    if (LMOutputAudioGraph *graph = audioOutputGraph())
        graph->setRate(rate);
}

float LMFFMovie::rate() const
{
    const LMOutputAudioGraph *graph = audioOutputGraph();
    return graph ? graph->rate() : 1.0f;
}

void LMFFMovie::setPlayVolume(float volume)
{
    if (LMOutputAudioGraph *graph = audioOutputGraph())
        graph->setVolume(volume);
}

float LMFFMovie::playVolume() const
{
    const LMOutputAudioGraph *graph = audioOutputGraph();
    return graph ? graph->volume() : 1.0f;
}

// Audio.

void LMFFMovie::decodeMoreAudioDataToAudioOutput()
{
    // The render thread asks before every cycle; one waiting refill is enough, since it checks
    // the output's fill level when it runs.
    if (m_refillQueued.exchange(true))
        return;
    m_decodeQueue.post([this] {
        m_refillQueued.store(false);
        decodeMoreAudioDataToAudioOutputHelper();
    });
}

void LMFFMovie::decodeMoreAudioDataToAudioOutputHelper()
{
    const LMOutputAudioGraph *graph = audioOutputGraph();
    if (graph && graph->bufferFrames() > kRefillFrames - 1)
        return;
    decodeAudioToAudioOutput();
}

bool LMFFMovie::decodeAudioToAudioOutput()
{
    if (exportMovie())
        return true;
    std::vector<float> block(size_t(kRefillFrames) * 2, 0.0f);
    readSampleNbStreamFrame(block.data(), 0, kRefillFrames);
    if (LMOutputAudioGraph *graph = audioOutputGraph())
        graph->streamWriteSampleNumberFrames(0, block.data(), kRefillFrames);
    return true;
}

bool LMFFMovie::readSampleNbStreamFrame(float *buffer, int k, int n)
{
    if (!buffer || n <= 0)
        return false;
    updateCurrentMedias();
    forwardAudioDecodeTime(n);
    const size_t count = size_t(std::max(k, 1)) * size_t(n) * 2;
    std::fill(buffer, buffer + count, 0.0f);
    std::vector<float> scratch;
    const float gain = float(volume());
    for (const auto &media : medias()) {
        if (!media->hasAudio() || !media->isCurrentSynced)
            continue;
        scratch.assign(count, 0.0f);
        media->readSampleNbStreamFrame(scratch.data(), k, n);
        for (size_t i = 0; i < count; ++i)
            buffer[i] += scratch[i] * gain;
    }
    return true;
}

std::shared_ptr<LMFFPacket> LMFFMovie::readNextAudioPacket()
{
    updateCurrentMedias();
    const auto media = currentAudioMedia();
    std::shared_ptr<LMFFPacket> packet = media ? media->readNextAudioPacket() : nullptr;
    updateAudioPacketTime(packet.get());
    return packet;
}

void LMFFMovie::updateAudioPacketTime(const LMFFPacket *packet)
{
    const int64_t now = currentTime();
    if (!packet) {
        update_current_time_to(now + 20000);
        return;
    }
    const AVPacket *raw = packet->getPacket();
    int64_t t = 0;
    if (raw && raw->pts != AV_NOPTS_VALUE) {
        t = raw->pts;
    } else if (raw && raw->dts != AV_NOPTS_VALUE) {
        t = raw->dts;
    } else {
        qCWarning(Reelsmith::lcMovie, "error pkt time");
    }
    int64_t time = packet->pkt_display_time - packet->pkt_time_offset;
    if (packet->time_base.num > 0 && packet->time_base.den > 0)
        time += av_rescale_q(t, packet->time_base, kEngineTimeBase);
    update_current_time_to(std::max(time, now));
}

// Video.

void LMFFMovie::decodeImageWaitUntilDone(std::function<void()> block, bool wait)
{
    m_decodeQueue.run(std::move(block), wait);
}

void LMFFMovie::decodeImageAtTimeActionWaitUntilDone(int64_t t, ImageAction action, bool wait)
{
    decodeImageWaitUntilDone(
        [this, t, action = std::move(action)] {
            updateCurrentMedias();
            const auto video = currentVideoMedia();
            const int64_t time = t == kCurrentTime ? currentTime() : t;
            AVFrame *frame = nullptr;
            if (video)
                frame = video->videoFrameAtTime(time - video->movie_position);
            const auto ffimage = LMFFImage::imageWithFrame(frame);
            m_cachedMovieImage->cache_frame_image_from_ffimage(*ffimage);

            int64_t frameTime = INT64_MIN;
            LMPlacedImage picture;
            if (video && frame && frame->data[0]) {
                const int64_t pts = frame->best_effort_timestamp != AV_NOPTS_VALUE
                                        ? frame->best_effort_timestamp
                                        : frame->pts;
                const LMFFMediaStream *stream = video->videoStream();
                if (pts != AV_NOPTS_VALUE && stream)
                    frameTime = av_rescale_q(pts, stream->timebase(), kEngineTimeBase)
                                - video->start_time() + video->movie_position;
            }
            if (video)
                picture = video->subtitleAtTime(time - video->movie_position);
            m_cachedMovieImage->setFrameTime(frameTime);
            m_cachedMovieImage->setMediaSubtitleImage(picture);
            QString text;
            if (const auto subtitleMedia = subtitle())
                text = subtitleMedia->subtitleStringAtTime(time - subtitleMedia->movie_position);
            m_cachedMovieImage->setSubtitleCurrentString(text);
            if (action)
                action(m_cachedMovieImage->getReferencedMovieImage());
        },
        wait);
}

void LMFFMovie::decodeCurrentImageWithAction(ImageAction action)
{
    if (exportMovie())
        return;
    decodeImageAtTimeActionWaitUntilDone(kCurrentTime, std::move(action), true);
}

void LMFFMovie::decodeImagePacketWithAction(PacketAction action)
{
    decodeImageWaitUntilDone(
        [this, action = std::move(action)] {
            updateCurrentMedias();
            const auto video = currentVideoMedia();
            std::shared_ptr<LMFFPacket> packet = video ? video->readNextVideoPacket() : nullptr;
            if (action)
                action(packet);
        },
        true);
}

QImage LMFFMovie::thumbnailAtTimeSize(int64_t t, const QSizeF &size)
{
    const auto video = videoMediaAtTime(t);
    std::shared_ptr<LMMovieImage> kept;
    if (video) {
        const int64_t resume = currentTime();
        decodeImageWaitUntilDone(
            [&] {
                video->thumbnailAtTimeCurrentTimeBlock(
                    t - video->movie_position, resume - video->movie_position, [&](AVFrame *frame) {
                        const auto image = LMFFImage::imageWithFrame(frame);
                        kept = m_cachedMovieImage->getReferencedMovieImage();
                        kept->cache_frame_image_to_new_rgb_data(*image);
                    });
            },
            true);
    }
    if (!kept)
        return {};
    kept->clearSubtitleCache();
    kept->setMediaSubtitleImage({});
    const QImage picture = kept->currentCIImage();
    if (picture.isNull())
        return {};
    QRectF r
        = scaleRectIn(QRectF(QPointF(0, 0), QSizeF(picture.size())), QRectF(QPointF(0, 0), size));
    r.moveTo(0, 0);
    const QRect integral(QPoint(int(std::floor(r.left())), int(std::floor(r.top()))),
                         QPoint(int(std::ceil(r.right())) - 1, int(std::ceil(r.bottom())) - 1));
    if (integral.isEmpty())
        return {};
    QImage thumbnail(integral.size(), QImage::Format_RGBA8888);
    thumbnail.fill(Qt::transparent);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(thumbnail.rect()), picture);
    painter.end();
    return thumbnail;
}

QRectF LMFFMovie::scaleRectIn(const QRectF &r, const QRectF &b)
{
    return platform::scaleRectIn(r, b);
}
