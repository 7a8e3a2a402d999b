#include "Reelsmith/movie/LMFFMovie.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LibrarySetup.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/imaging/Renderer.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMFFPacket.h"
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

void LMFFMovie::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] { Reelsmith::detail::ensureLibrarySetUp(); });
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
        std::lock_guard guard(m_publishLock);
        if (m_audioOutputGraph)
            m_audioOutputGraph->setDelegate(nullptr);
    }
    // Queued work may still read the medias; they go once it has run.
    m_decodeQueue.run(
        [&] {
            m_decodeQueue.assertCurrent();
            m_medias.clear();
            m_subtitle.reset();
            m_videoMedia.reset();
            publishSnapshot();
            std::lock_guard guard(m_publishLock);
            graph = std::move(m_audioOutputGraph);
        },
        true);
    graph.reset();
}

// The snapshot ------------------------------------------------------------------------------

LMFFMovie::MediaFacts LMFFMovie::factsOf(const std::shared_ptr<LMFFMedia> &media)
{
    MediaFacts facts;
    facts.media = media;
    facts.position = media->movie_position;
    facts.duration = media->duration();
    facts.hasAudio = media->hasAudio();
    facts.hasVideoStream = !media->videos().isEmpty();
    facts.hasSubtitle = media->hasSubtitle();
    facts.synced = media->isCurrentSynced;
    facts.dvd = media->source() && media->source()->isDVD();
    facts.videoFormat = media->videoFormat();
    facts.framerate = media->framerate();
    facts.sampleAspectRatio = media->sample_aspect_ratio();
    facts.videoBitrate = media->videoBitrate();
    facts.rotation = media->videoRotation();
    if (const LMFFMediaStream *video = media->videoStream())
        facts.videoCodec = video->get_codec_id();
    facts.audioFormat = media->audioFormat();
    if (const LMFFMediaStream *audio = media->audioStream())
        facts.audioCodec = audio->get_codec_id();
    facts.audioBitrate = media->audioBitrate();
    facts.fileBitrate = media->fileBitrate();
    facts.audioNames = media->audioNames();
    facts.subtitleNames = media->subtitleNames();
    facts.selectAudios = media->selectAudios;
    facts.selectSubtitles = media->selectSubtitles;
    return facts;
}

void LMFFMovie::publishSnapshot()
{
    m_decodeQueue.assertCurrent();
    auto next = std::make_shared<Snapshot>();
    for (const auto &media : m_medias) {
        if (media == m_videoMedia)
            next->videoMedia = int(next->medias.size());
        next->medias.append(factsOf(media));
    }
    next->subtitle = m_subtitle;
    next->subtitleHasSubtitle = m_subtitle && m_subtitle->hasSubtitle();
    std::lock_guard guard(m_publishLock);
    m_snapshot = std::move(next);
}

std::shared_ptr<const LMFFMovie::Snapshot> LMFFMovie::snapshot() const
{
    static const auto empty = std::make_shared<const Snapshot>();
    std::lock_guard guard(m_publishLock);
    return m_snapshot ? m_snapshot : empty;
}

bool LMFFMovie::hasVideo(const MediaFacts &facts) const
{
    return facts.hasVideoStream && !disableVideo();
}

QList<const LMFFMovie::MediaFacts *> LMFFMovie::videoFacts(const Snapshot &snapshot) const
{
    QList<const MediaFacts *> list;
    for (const MediaFacts &facts : snapshot.medias)
        if (hasVideo(facts))
            list.append(&facts);
    return list;
}

const LMFFMovie::MediaFacts *LMFFMovie::lastAudioFacts(const Snapshot &snapshot) const
{
    for (auto it = snapshot.medias.crbegin(); it != snapshot.medias.crend(); ++it)
        if (it->hasAudio)
            return &*it;
    return nullptr;
}

const LMFFMovie::MediaFacts *LMFFMovie::videoMediaFacts(const Snapshot &snapshot) const
{
    return snapshot.videoMedia >= 0 ? &snapshot.medias.at(snapshot.videoMedia) : nullptr;
}

double LMFFMovie::outputRate()
{
    static const double rate = double(lm_get_default_audio_format().sample_rate);
    return rate;
}

int LMFFMovie::outputChannels()
{
    static const int channels
        = lm_get_channel_layout_nb_channels(lm_get_default_audio_format().channel_layout);
    return channels;
}

// Opening.

void LMFFMovie::openMedias(const QList<std::shared_ptr<LMFFMedia>> &medias)
{
    QList<std::shared_ptr<LMFFMedia>> kept;
    for (const auto &media : medias) {
        if (media)
            kept.append(media);
    }
    openAudioOutput();
    m_decodeQueue.run(
        [&] {
            m_decodeQueue.assertCurrent();
            for (const auto &media : kept) {
                media->setMovie(this);
                media->open();
            }
            m_medias = kept;
            m_videoMedia.reset();
            for (const auto &media : m_medias) {
                if (media->hasVideo()) {
                    m_videoMedia = media;
                    break;
                }
            }
            publishSnapshot();
        },
        true);
    m_duration.store(getMaxMediaDuration());
    configVideoEffectStream();
    qCDebug(Reelsmith::lcMovie,
            "opened %lld medias, duration %lld us",
            (long long)kept.size(),
            (long long)duration());
}

int64_t LMFFMovie::getMaxMediaDuration() const
{
    int64_t end = 0;
    for (const MediaFacts &facts : snapshot()->medias)
        end = std::max(end, facts.position + facts.duration);
    return end;
}

void LMFFMovie::openAudioOutput()
{
    std::lock_guard guard(m_publishLock);
    if (!m_audioOutputGraph)
        m_audioOutputGraph = std::make_unique<LMOutputAudioGraph>();
    m_audioOutputGraph->setDelegate(this);
}

void LMFFMovie::configVideoEffectStream()
{
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
            m_decodeQueue.assertCurrent();
            m_subtitle.reset();
            media->setMovie(this);
            media->open();
            if (media->hasSubtitle()) {
                m_subtitle = media;
                kept = true;
            }
            publishSnapshot();
        },
        true);
    return kept;
}

void LMFFMovie::setSubtitle(const std::shared_ptr<LMFFMedia> &media)
{
    m_decodeQueue.run(
        [&] {
            m_decodeQueue.assertCurrent();
            m_subtitle.reset();
            if (media) {
                media->setMovie(this);
                if (!media->hasSubtitle())
                    media->open();
                if (media->hasSubtitle())
                    m_subtitle = media;
            }
            publishSnapshot();
        },
        true);
}

// Queries.

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::medias() const
{
    QList<std::shared_ptr<LMFFMedia>> list;
    for (const MediaFacts &facts : snapshot()->medias)
        list.append(facts.media);
    return list;
}

std::shared_ptr<LMFFMedia> LMFFMovie::subtitle() const
{
    return snapshot()->subtitle;
}

std::shared_ptr<LMFFMedia> LMFFMovie::videoMedia() const
{
    const auto now = snapshot();
    const MediaFacts *facts = videoMediaFacts(*now);
    return facts ? facts->media : nullptr;
}

LMOutputAudioGraph *LMFFMovie::audioOutputGraph() const
{
    std::lock_guard guard(m_publishLock);
    return m_audioOutputGraph.get();
}

int64_t LMFFMovie::currentTime() const
{
    if (m_pendingSeek.load() != 0)
        return m_seekPoint.load();
    const LMOutputAudioGraph *graph = audioOutputGraph();
    const double buffered = graph ? double(graph->bufferFrames()) : 0.0;
    return m_seekPoint.load()
           + int64_t((m_decodeSamples.load() - buffered) / outputRate()
                     * double(kEngineTimeBase.den));
}

bool LMFFMovie::hasAudio() const
{
    return lastAudioFacts(*snapshot()) != nullptr;
}

bool LMFFMovie::hasVideo() const
{
    return !videoFacts(*snapshot()).isEmpty();
}

bool LMFFMovie::hasSubtitle() const
{
    const auto now = snapshot();
    if (now->subtitle)
        return true;
    for (const MediaFacts &facts : now->medias)
        if (facts.hasSubtitle)
            return true;
    return false;
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
    // The filter asks the medias themselves, which only their queue may do.
    QList<std::shared_ptr<LMFFMedia>> result;
    auto *self = const_cast<LMFFMovie *>(this);
    self->m_decodeQueue.run([&] { result = mediasFilter(m_medias, filter); }, true);
    return result;
}

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::audios() const
{
    QList<std::shared_ptr<LMFFMedia>> list;
    for (const MediaFacts &facts : snapshot()->medias)
        if (facts.hasAudio)
            list.append(facts.media);
    return list;
}

QList<std::shared_ptr<LMFFMedia>> LMFFMovie::videos() const
{
    QList<std::shared_ptr<LMFFMedia>> list;
    const auto now = snapshot();
    for (const MediaFacts *facts : videoFacts(*now))
        list.append(facts->media);
    return list;
}

std::shared_ptr<LMFFMedia> LMFFMovie::currentVideoMedia() const
{
    const auto now = snapshot();
    for (const MediaFacts &facts : now->medias) {
        if (facts.synced && hasVideo(facts))
            return facts.media;
    }
    return nullptr;
}

std::shared_ptr<LMFFMedia> LMFFMovie::currentAudioMedia() const
{
    for (const MediaFacts &facts : snapshot()->medias) {
        if (facts.synced && facts.hasAudio)
            return facts.media;
    }
    return nullptr;
}

std::shared_ptr<LMFFMedia> LMFFMovie::currentVideoMediaOnQueue() const
{
    m_decodeQueue.assertCurrent();
    for (const auto &media : m_medias) {
        if (media->isCurrentSynced && media->hasVideo())
            return media;
    }
    return nullptr;
}

std::shared_ptr<LMFFMedia> LMFFMovie::currentAudioMediaOnQueue() const
{
    m_decodeQueue.assertCurrent();
    for (const auto &media : m_medias) {
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
    const auto now = snapshot();
    for (const MediaFacts *facts : videoFacts(*now)) {
        if (facts->position <= t && t < facts->position + facts->duration)
            return facts->media;
    }
    return nullptr;
}

int64_t LMFFMovie::currentVideoMediaMaxTime() const
{
    const auto now = snapshot();
    for (const MediaFacts &facts : now->medias) {
        if (facts.synced && hasVideo(facts))
            return facts.position + facts.duration;
    }
    return 0;
}

float LMFFMovie::framerate() const
{
    const auto now = snapshot();
    const MediaFacts *facts = videoMediaFacts(*now);
    return facts ? facts->framerate : 0.0f;
}

int64_t LMFFMovie::videoBitrate() const
{
    const auto now = snapshot();
    const MediaFacts *facts = videoMediaFacts(*now);
    return facts ? facts->videoBitrate : 0;
}

double LMFFMovie::sample_aspect_ratio() const
{
    const auto now = snapshot();
    const MediaFacts *facts = videoMediaFacts(*now);
    return facts ? facts->sampleAspectRatio : 1.0;
}

LMFFVideoFormat LMFFMovie::videoFormat() const
{
    const auto now = snapshot();
    const auto list = videoFacts(*now);
    return list.isEmpty() ? LMFFVideoFormat{-1, 0, 0} : list.last()->videoFormat;
}

int32_t LMFFMovie::videoCodec() const
{
    const auto now = snapshot();
    const auto list = videoFacts(*now);
    return list.isEmpty() ? 0 : list.last()->videoCodec;
}

LMFFAudioFormat LMFFMovie::audioFormat() const
{
    const auto now = snapshot();
    const MediaFacts *facts = lastAudioFacts(*now);
    return facts ? facts->audioFormat : LMFFAudioFormat{0, 0, 0};
}

int32_t LMFFMovie::audioCodec() const
{
    const auto now = snapshot();
    const MediaFacts *facts = lastAudioFacts(*now);
    return facts ? facts->audioCodec : 0;
}

int64_t LMFFMovie::audioBitrate() const
{
    const auto now = snapshot();
    const MediaFacts *facts = lastAudioFacts(*now);
    return facts ? facts->audioBitrate : 0;
}

int64_t LMFFMovie::fileBitrate() const
{
    const auto now = snapshot();
    return now->medias.isEmpty() ? 0 : now->medias.last().fileBitrate;
}

QSizeF LMFFMovie::videoSize() const
{
    const auto now = snapshot();
    const MediaFacts *facts = videoMediaFacts(*now);
    if (!facts)
        return QSizeF(0, 0);
    return QSizeF(facts->videoFormat.width, facts->videoFormat.height);
}

QSizeF LMFFMovie::videoDisplaySize() const
{
    const QSizeF size = videoSize();
    // Rounds to the nearest multiple of 4, halves up: add half of 4, then floor to a multiple.
    const double width = std::floor((size.width() * sample_aspect_ratio() + 2.0) / 4.0) * 4.0;
    return QSizeF(width, size.height());
}

int LMFFMovie::default_movie_rotate() const
{
    const auto now = snapshot();
    const auto list = videoFacts(*now);
    return list.isEmpty() ? 0 : -list.first()->rotation;
}

QStringList LMFFMovie::audioStreams() const
{
    const auto now = snapshot();
    if (now->medias.isEmpty())
        return {};
    const MediaFacts &first = now->medias.first();
    if (!first.dvd && !first.hasAudio) {
        for (const MediaFacts &facts : now->medias)
            if (facts.hasAudio)
                return facts.audioNames;
        return QStringList();
    }
    return first.audioNames;
}

QStringList LMFFMovie::subtitleStreams() const
{
    const auto now = snapshot();
    return now->medias.isEmpty() ? QStringList() : now->medias.first().subtitleNames;
}

std::optional<QSet<int>> LMFFMovie::selectAudioStreams() const
{
    const auto now = snapshot();
    return now->medias.isEmpty() ? std::nullopt : now->medias.first().selectAudios;
}

std::optional<QSet<int>> LMFFMovie::selectSubtitleStreams() const
{
    const auto now = snapshot();
    return now->medias.isEmpty() ? std::nullopt : now->medias.first().selectSubtitles;
}

void LMFFMovie::setSelectAudioStreams(const std::optional<QSet<int>> &tracks)
{
    m_decodeQueue.run(
        [this, tracks] {
            m_decodeQueue.assertCurrent();
            for (const auto &media : m_medias) {
                media->selectAudios = tracks;
                media->updateSelectStreams();
            }
            publishSnapshot();
        },
        true);
}

void LMFFMovie::setSelectSubtitleStreams(const std::optional<QSet<int>> &tracks)
{
    m_decodeQueue.run(
        [this, tracks] {
            m_decodeQueue.assertCurrent();
            for (const auto &media : m_medias) {
                media->selectSubtitles = tracks;
                media->updateSelectStreams();
            }
            publishSnapshot();
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
    // Marked before the clock moves, so no reader sees the new point less the old buffer.
    m_pendingSeek.store(UINT64_MAX);
    update_current_time_to(t);
    const uint64_t generation = m_clockGeneration.load();
    m_pendingSeek.store(generation);
    m_decodeQueue.post([this, t, generation] {
        // A later seek (or clock update) supersedes this one: its own work will run.
        m_decodeQueue.assertCurrent();
        uint64_t settled = generation;
        if (m_clockGeneration.load() != generation) {
            m_pendingSeek.compare_exchange_strong(settled, 0);
            return;
        }
        ++m_performedSeeks;
        if (LMOutputAudioGraph *graph = audioOutputGraph())
            graph->clearBuffer();
        // Refills that ran between the seek and now counted audio read at the old position,
        // which has just been dropped from the output.
        m_decodeSamples.store(0);
        m_pendingSeek.compare_exchange_strong(settled, 0);
        updateCurrentMedias(true);
        if (m_subtitle)
            m_subtitle->seek(0);
        qCDebug(Reelsmith::lcMovie, "seek to %lld us", (long long)t);
    });
}

void LMFFMovie::flushOperation()
{
    m_decodeQueue.waitUntilAllOperationsAreFinished();
}

void LMFFMovie::updateCurrentMedias(bool force)
{
    m_decodeQueue.assertCurrent();
    const int64_t now = currentTime();
    bool changed = false;
    for (const auto &media : m_medias) {
        const bool inside = isInside(*media, now);
        if (inside && (force || !media->isCurrentSynced))
            media->seek(now - media->movie_position);
        changed = changed || media->isCurrentSynced != inside;
        media->isCurrentSynced = inside;
    }
    if (changed)
        publishSnapshot();
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
    m_decodeQueue.assertCurrent();
    const LMOutputAudioGraph *graph = audioOutputGraph();
    if (graph && graph->bufferFrames() > kRefillFrames - 1)
        return;
    decodeAudioToAudioOutput();
}

bool LMFFMovie::decodeAudioToAudioOutput()
{
    m_decodeQueue.assertCurrent();
    if (exportMovie())
        return true;
    std::vector<float> block(size_t(kRefillFrames) * size_t(outputChannels()), 0.0f);
    readSampleNbStreamFrame(block.data(), 0, kRefillFrames);
    if (LMOutputAudioGraph *graph = audioOutputGraph())
        graph->streamWriteSampleNumberFrames(0, block.data(), kRefillFrames);
    return true;
}

bool LMFFMovie::readSampleNbStreamFrame(float *buffer, int k, int n)
{
    m_decodeQueue.assertCurrent();
    if (!buffer || n <= 0)
        return false;
    updateCurrentMedias();
    forwardAudioDecodeTime(n);
    const size_t count = size_t(std::max(k, 1)) * size_t(n) * size_t(outputChannels());
    std::fill(buffer, buffer + count, 0.0f);
    std::vector<float> scratch;
    const float gain = float(volume());
    bool read = false;
    for (const auto &media : m_medias) {
        if (!media->hasAudio() || !media->isCurrentSynced)
            continue;
        // Past the end of its input with nothing left, a media only adds silence.
        const LMFFMediaStream *audio = media->audioStream();
        if (!(media->isEndOfInput() && audio && audio->outputSamples() == 0))
            read = true;
        scratch.assign(count, 0.0f);
        media->readSampleNbStreamFrame(scratch.data(), k, n);
        for (size_t i = 0; i < count; ++i)
            buffer[i] += scratch[i] * gain;
    }
    return read;
}

int64_t LMFFMovie::readingStoppedBefore(int64_t t) const
{
    m_decodeQueue.assertCurrent();
    // Reading ahead and a decoder's delay keep a little apart from where the run asks.
    constexpr int64_t kMargin = 500000;
    for (const auto &media : m_medias) {
        if (!isInside(*media, t))
            continue;
        const int64_t stopped = media->earlyEndTime();
        if (stopped >= 0 && t - media->movie_position > stopped + kMargin)
            return media->movie_position + stopped;
    }
    return -1;
}

int64_t LMFFMovie::decodeErrorCount() const
{
    m_decodeQueue.assertCurrent();
    int64_t errors = 0;
    for (const auto &media : m_medias)
        for (const auto &stream : media->streams())
            errors += stream->decodeErrors();
    return errors;
}

std::shared_ptr<LMFFPacket> LMFFMovie::readNextAudioPacket()
{
    m_decodeQueue.assertCurrent();
    updateCurrentMedias();
    const auto media = currentAudioMediaOnQueue();
    std::shared_ptr<LMFFPacket> packet = media ? media->readNextAudioPacket() : nullptr;
    updateAudioPacketTime(packet.get());
    return packet;
}

void LMFFMovie::updateAudioPacketTime(const LMFFPacket *packet)
{
    m_decodeQueue.assertCurrent();
    const int64_t now = currentTime();
    if (!packet) {
        update_current_time_to(now + kNoAudioPacketStep);
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
            m_decodeQueue.assertCurrent();
            updateCurrentMedias();
            const auto video = currentVideoMediaOnQueue();
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
            if (m_subtitle)
                text = m_subtitle->subtitleStringAtTime(time - m_subtitle->movie_position);
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
            m_decodeQueue.assertCurrent();
            updateCurrentMedias();
            const auto video = currentVideoMediaOnQueue();
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
    kept->setSubtitleCurrentString(QString()); // a thumbnail shows the picture, not its subtitles
    const Reelsmith::imaging::Image picture = kept->currentEffectImage();
    const QRectF extent = picture.extent().rect();
    if (extent.isEmpty())
        return {};
    QRectF r = scaleRectIn(extent, QRectF(QPointF(0, 0), size));
    r.moveTo(0, 0);
    const QRect integral(QPoint(int(std::floor(r.left())), int(std::floor(r.top()))),
                         QPoint(int(std::ceil(r.right())) - 1, int(std::ceil(r.bottom())) - 1));
    if (integral.isEmpty())
        return {};
    // Scaled in the same single resampling as the edits.
    const QImage thumbnail = Reelsmith::imaging::renderToImage(
        picture.translated(-extent.x(), -extent.y())
            .scaled(integral.width() / extent.width(), integral.height() / extent.height()),
        QRect(QPoint(0, 0), integral.size()));
    return thumbnail.convertToFormat(QImage::Format_RGBA8888);
}

QRectF LMFFMovie::scaleRectIn(const QRectF &r, const QRectF &b)
{
    return platform::scaleRectIn(r, b);
}
