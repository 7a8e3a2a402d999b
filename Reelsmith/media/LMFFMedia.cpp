#include "Reelsmith/media/LMFFMedia.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/detail/LibrarySetup.h"
#include "Reelsmith/media/LMAssFrame.h"
#include "Reelsmith/media/LMFFMediaOwner.h"
#include "Reelsmith/media/LMFFMediaStream.h"
#include "Reelsmith/media/LMFFPacket.h"

#include <algorithm>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcDemux, "discwright.reelsmith.demux", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcDemux;

using Reelsmith::detail::kEngineTimeBase;

namespace {

constexpr int kMaxCachedPackets = 16;
constexpr int kMaxForwardsForFrame = 10;
constexpr int kMaxPacketsAfterSeek = 1001;
constexpr int kSeekRetries = 10;
constexpr int64_t kReadAheadLimit = 2000000; // 2 s of input beyond the starting point
constexpr int64_t kRetryStep = 500000;       // 0.5 s
constexpr int64_t kAsfStep = 2500000;        // 2.5 s
constexpr int64_t kRmPreroll = 100000;       // 0.1 s

// Channels of one frame of the engine's output format, which the sample calls fill (interleaved).
int outputChannels()
{
    static const int channels
        = lm_get_channel_layout_nb_channels(lm_get_default_audio_format().channel_layout);
    return channels;
}

// A DVD numbers its tracks in the low four bits of the stream id (0x80-0x87 AC-3, 0x20-0x3f
// subpictures, ...).
constexpr int kDvdTrackMask = 0xf;

bool formatIs(const AVFormatContext *context, const char *name)
{
    return context && context->iformat && context->iformat->name
           && qstrcmp(context->iformat->name, name) == 0;
}

} // namespace

LMFFMedia::LMFFMedia()
    : last_pts(AV_NOPTS_VALUE)
    , m_readPacket(Reelsmith::detail::makePacket())
{
    Reelsmith::detail::ensureLibrarySetUp();
}

LMFFMedia::~LMFFMedia()
{
    clearCacheVideoPackets();
    // Streams close their decoders before the source closes the demuxer they point into.
    m_streams.clear();
}

void LMFFMedia::assertOwnerThread() const
{
    if (m_movie)
        m_movie->assertOwnerThread();
}

std::shared_ptr<LMFFMedia> LMFFMedia::mediaWithSource(std::shared_ptr<LMMediaSource> source,
                                                      const LMIndexSet &selectStreams)
{
    auto media = std::make_shared<LMFFMedia>();
    media->m_source = std::move(source);
    media->selectStreams = selectStreams;
    return media;
}

std::shared_ptr<LMFFMedia> LMFFMedia::copy() const
{
    auto other = std::make_shared<LMFFMedia>();
    other->movie_position = movie_position;
    other->selectStreams = selectStreams;
    other->selectAudios = selectAudios;
    other->selectSubtitles = selectSubtitles;
    other->m_movie = m_movie;
    other->m_source = m_source ? m_source->copy() : nullptr;
    return other;
}

// Set-up --------------------------------------------------------------------------------------

AVFormatContext *LMFFMedia::formatContext() const
{
    return m_source ? m_source->formatContext() : nullptr;
}

int64_t LMFFMedia::start_time() const
{
    return m_source ? m_source->start_time() : 0;
}

void LMFFMedia::open()
{
    assertOwnerThread();
    if (!m_source)
        return;
    m_source->open();
    if (!formatContext())
        return;
    createStreams();
    updateSelectStreams();
}

void LMFFMedia::createStreams()
{
    AVFormatContext *context = formatContext();
    const uint32_t *palette = m_source->palette();
    for (unsigned i = unsigned(m_streams.size()); i < context->nb_streams; ++i) {
        auto stream = std::make_unique<LMFFMediaStream>(this, context->streams[i]);
        if (palette && stream->isSubtitle())
            stream->fillPalette(palette);
        if (!selectStreams || selectStreams->contains(int(i)))
            stream->open();
        stream->enable = stream->isOpen();
        m_streams.push_back(std::move(stream));
    }
}

int LMFFMedia::startingAudioTrack() const
{
    // The open audio streams (those selectStreams lets through), in container order.
    QList<const AVStream *> candidates;
    for (size_t i = 0; i < m_streams.size(); ++i) {
        const LMFFMediaStream *stream = m_streams[i].get();
        if (stream->isAudio() && stream->stream()
            && (!selectStreams || selectStreams->contains(int(i))))
            candidates.append(stream->stream());
    }
    if (candidates.size() < 2)
        return -1;
    QStringList languages;
    int defaults = 0;
    for (const AVStream *stream : candidates) {
        const AVDictionaryEntry *entry = av_dict_get(stream->metadata, "language", nullptr, 0);
        const QString language
            = entry ? QString::fromUtf8(entry->value).trimmed().toLower() : QString();
        if (!language.isEmpty() && language != QLatin1String("und")
            && !languages.contains(language))
            languages.append(language);
        defaults += (stream->disposition & AV_DISPOSITION_DEFAULT) != 0;
    }
    // Tracks without languages (a camera's stereo pairs, say) are parts of one sound and keep
    // being mixed; tracks in different languages, or with one marked as the one to play, are
    // alternatives, and mixing them plays two languages at once.
    const bool alternatives
        = !languages.isEmpty()
          && (languages.size() > 1 || (defaults > 0 && defaults < candidates.size()));
    if (!alternatives)
        return -1;
    for (int track = 0; track < candidates.size(); ++track) {
        if (candidates[track]->disposition & AV_DISPOSITION_DEFAULT)
            return track;
    }
    return 0;
}

void LMFFMedia::updateSelectStreams()
{
    assertOwnerThread();
    // DVD tracks are chosen by their stream numbers, which the disc's own menus pick.
    const int startingTrack
        = (selectAudios || (m_source && m_source->isDVD())) ? -1 : startingAudioTrack();
    int audioCounter = 0;
    int subtitleCounter = 0;
    const bool dvd = m_source && m_source->isDVD();
    for (size_t i = 0; i < m_streams.size(); ++i) {
        LMFFMediaStream *stream = m_streams[i].get();
        if (!selectStreams || selectStreams->contains(int(i))) {
            stream->open();
            stream->enable = stream->isOpen();
        } else {
            stream->close();
            stream->enable = false;
        }
        if (!stream->isOpen())
            continue;
        const int dvdNumber = stream->stream() ? (stream->stream()->id & kDvdTrackMask) : 0;
        if (stream->isAudio()) {
            if (selectAudios)
                stream->enable = selectAudios->contains(dvd ? dvdNumber : audioCounter);
            else if (startingTrack >= 0)
                stream->enable = audioCounter == startingTrack;
            ++audioCounter;
        } else if (stream->isSubtitle()) {
            if (selectSubtitles)
                stream->enable = selectSubtitles->contains(dvd ? dvdNumber : subtitleCounter);
            ++subtitleCounter;
        }
    }
}

// Stream lists --------------------------------------------------------------------------------

QList<LMFFMediaStream *> LMFFMedia::audios() const
{
    QList<LMFFMediaStream *> list;
    for (const auto &stream : m_streams)
        if (stream->enable && stream->isAudio())
            list.append(stream.get());
    return list;
}

QList<LMFFMediaStream *> LMFFMedia::videos() const
{
    QList<LMFFMediaStream *> list;
    for (const auto &stream : m_streams)
        if (stream->enable && stream->isVideo())
            list.append(stream.get());
    return list;
}

QList<LMFFMediaStream *> LMFFMedia::subtitles() const
{
    QList<LMFFMediaStream *> list;
    for (const auto &stream : m_streams)
        if (stream->enable && stream->isSubtitle())
            list.append(stream.get());
    return list;
}

LMFFMediaStream *LMFFMedia::audioStream() const
{
    const QList<LMFFMediaStream *> list = audios();
    return list.isEmpty() ? nullptr : list.last();
}

LMFFMediaStream *LMFFMedia::videoStream() const
{
    const QList<LMFFMediaStream *> list = videos();
    return list.isEmpty() ? nullptr : list.first();
}

LMFFMediaStream *LMFFMedia::subtitleStream() const
{
    const QList<LMFFMediaStream *> list = subtitles();
    return list.isEmpty() ? nullptr : list.last();
}

LMFFMediaStream *LMFFMedia::mediaStreamForStreamIndex(int index)
{
    if (index < 0)
        return nullptr;
    // Some demuxers (MPEG program streams) reveal streams only as their packets appear.
    if (size_t(index) >= m_streams.size()) {
        const size_t known = m_streams.size();
        open();
        if (m_streams.size() > known && m_movie)
            m_movie->mediaStreamsChanged(*this);
    }
    return size_t(index) < m_streams.size() ? m_streams[size_t(index)].get() : nullptr;
}

bool LMFFMedia::hasAudio() const
{
    return !audios().isEmpty();
}

bool LMFFMedia::hasVideo() const
{
    return !videos().isEmpty() && !(m_movie && m_movie->disableVideo());
}

bool LMFFMedia::hasSubtitle() const
{
    return !subtitles().isEmpty();
}

QStringList LMFFMedia::audioNames() const
{
    if (m_source) {
        if (std::optional<QStringList> names = m_source->audioNames())
            return *names;
    }
    QStringList names;
    for (const auto &stream : m_streams)
        if (stream->isOpen() && stream->isAudio())
            names.append(stream->language());
    return names;
}

QStringList LMFFMedia::subtitleNames() const
{
    if (m_source) {
        if (std::optional<QStringList> names = m_source->subtitleNames())
            return *names;
    }
    QStringList names;
    for (const auto &stream : m_streams)
        if (stream->isOpen() && stream->isSubtitle())
            names.append(stream->language());
    return names;
}

LMFFVideoFormat LMFFMedia::videoFormat() const
{
    LMFFMediaStream *video = videoStream();
    return video ? video->videoFormat() : LMFFVideoFormat{-1, 0, 0};
}

float LMFFMedia::framerate() const
{
    LMFFMediaStream *video = videoStream();
    return video ? video->framerate() : 0;
}

double LMFFMedia::sample_aspect_ratio() const
{
    LMFFMediaStream *video = videoStream();
    return video ? video->sample_aspect_ratio() : 1.0;
}

int64_t LMFFMedia::videoBitrate() const
{
    LMFFMediaStream *video = videoStream();
    return video ? video->bitrate() : 0;
}

LMFFAudioFormat LMFFMedia::audioFormat() const
{
    LMFFMediaStream *audio = audioStream();
    return audio ? audio->audioFormat() : LMFFAudioFormat{0, 0, 0};
}

int64_t LMFFMedia::audioBitrate() const
{
    LMFFMediaStream *audio = audioStream();
    return audio ? audio->bitrate() : 0;
}

int64_t LMFFMedia::fileBitrate() const
{
    AVFormatContext *context = formatContext();
    return context ? context->bit_rate : 0;
}

int LMFFMedia::videoRotation() const
{
    LMFFMediaStream *video = videoStream();
    return video ? video->getMetadataRotate() : 0;
}

int64_t LMFFMedia::rescaleToEngine(int64_t value, AVRational timeBase) const
{
    return av_rescale_q(value, timeBase, kEngineTimeBase);
}

int64_t LMFFMedia::durationInStreams() const
{
    int64_t longest = 0;
    for (const auto &stream : m_streams) {
        if (!stream->enable || !(stream->isAudio() || stream->isVideo()))
            continue;
        longest = std::max(longest, rescaleToEngine(stream->duration(), stream->timebase()));
    }
    return longest;
}

int64_t LMFFMedia::duration() const
{
    const int64_t inStreams = durationInStreams();
    return inStreams != 0 ? inStreams : (m_source ? m_source->duration() : 0);
}

// Seeking -------------------------------------------------------------------------------------

void LMFFMedia::seek(int64_t t)
{
    assertOwnerThread();
    AVFormatContext *context = formatContext();
    clearCacheVideoPackets();
    last_pts = AV_NOPTS_VALUE;
    m_endOfInput = false;
    m_drained = false;
    if (!context)
        return;

    m_seekTime = t;
    const int64_t target = start_time() + t;
    // RealMedia lands after the asked position; start a little earlier.
    const int64_t position
        = formatIs(context, "rm") ? target - kRmPreroll : std::max<int64_t>(target, 0);

    resetForSeek(target);

    int result = av_seek_frame(context, -1, position, AVSEEK_FLAG_BACKWARD);
    for (int k = 1; result < 0 && k <= kSeekRetries; ++k) {
        if (m_streams.size() == 1 && position == 0 && m_streams[0]->enable
            && m_streams[0]->isSubtitle()) {
            avformat_seek_file(context, -1, 0, 0, 0, AVSEEK_FLAG_FRAME);
            break;
        }
        result = av_seek_frame(
            context, -1, std::max((k - 1) * kRetryStep, position), AVSEEK_FLAG_BACKWARD);
    }
    if (result < 0)
        qCDebug(lcDemux) << "seek failed at" << position;

    // Without an index (program streams) the demuxer may land after the key frame that precedes
    // the target; decoding would then start at the next key frame, past the target. Step back
    // until the first video key frame read lies at or before it.
    LMFFMediaStream *video = videoStream();
    if (video && isEnableForwardPacket(video) && !formatIs(context, "asf")) {
        for (int n = 1; n <= kSeekRetries; ++n) {
            m_lastKeyVideoPts = AV_NOPTS_VALUE;
            for (int i = 0; i < kMaxPacketsAfterSeek && m_lastKeyVideoPts == AV_NOPTS_VALUE; ++i)
                if (!forwardNextPacket())
                    break;
            if (m_lastKeyVideoPts == AV_NOPTS_VALUE || m_lastKeyVideoPts <= target || position <= 0)
                break;
            resetForSeek(target);
            av_seek_frame(
                context, -1, std::max<int64_t>(0, position - n * kRetryStep), AVSEEK_FLAG_BACKWARD);
        }
    }

    if (formatIs(context, "asf") && forwardNextPacket()) {
        for (int n = 0; n < kSeekRetries; ++n) {
            if (last_pts == AV_NOPTS_VALUE || last_pts <= target)
                break;
            av_seek_frame(
                context, -1, std::max<int64_t>(0, target - n * kAsfStep), AVSEEK_FLAG_BACKWARD);
            if (!forwardNextPacket())
                break;
        }
    }

    for (int i = 0; i < kMaxPacketsAfterSeek; ++i) {
        if (last_pts != AV_NOPTS_VALUE && last_pts >= target)
            break;
        if (!forwardNextPacket())
            break;
    }

    if (formatIs(context, "mp3")) {
        if (LMFFMediaStream *audio = audioStream()) {
            while (audio->outputSamples() == 0 && forwardNextPacket()) {
            }
        }
    }

    // The packets reached t, but a frame-threaded decoder hands its pictures out later than it
    // takes their packets: decode on until the current picture is the one shown at t.
    if (video && isEnableForwardPacket(video) && video->isOpen() && !video->isSubtitle()
        && !(m_movie && m_movie->copy_video_stream()))
        videoFrameAtTime(t);
}

void LMFFMedia::resetForSeek(int64_t target)
{
    clearCacheVideoPackets();
    last_pts = AV_NOPTS_VALUE;
    m_endOfInput = false;
    m_drained = false;
    for (const auto &stream : m_streams)
        if (stream->isOpen())
            stream->seek(av_rescale_q(target, kEngineTimeBase, stream->timebase()));
}

// Routing -------------------------------------------------------------------------------------

LMFFMediaStream *LMFFMedia::streamOf(const AVPacket *packet)
{
    return packet ? mediaStreamForStreamIndex(packet->stream_index) : nullptr;
}

bool LMFFMedia::isEnableForwardPacket(const LMFFMediaStream *stream) const
{
    if (!stream || !stream->enable)
        return false;
    return !stream->isVideo() || !(m_movie && m_movie->disableVideo());
}

bool LMFFMedia::drainDecoders()
{
    bool frames = false;
    for (const auto &stream : m_streams)
        if (isEnableForwardPacket(stream.get()) && stream->drain())
            frames = true;
    return frames;
}

bool LMFFMedia::forwardNextPacketCacheVideo(bool cacheVideo)
{
    assertOwnerThread();
    if (!cacheVideo && !m_cachedPackets.empty()) {
        std::shared_ptr<LMFFPacket> oldest = m_cachedPackets.front();
        m_cachedPackets.pop_front();
        forwardPacket(oldest->getPacket());
        return true;
    }
    AVFormatContext *context = formatContext();
    if (!context || m_drained)
        return false;
    int result = 0;
    if (m_endOfInput || (result = av_read_frame(context, m_readPacket.get())) < 0) {
        if (!m_endOfInput) {
            m_inputEndResult = result;
            m_inputEnd = last_pts != AV_NOPTS_VALUE ? last_pts - start_time() : m_seekTime;
            if (result != AVERROR_EOF)
                qCDebug(lcDemux) << "reading stopped:"
                                 << Reelsmith::detail::ffmpegErrorText(result);
        }
        m_endOfInput = true;
        // The held-back video packets come before the decoders' tails.
        bool routed = !m_cachedPackets.empty();
        while (!m_cachedPackets.empty()) {
            std::shared_ptr<LMFFPacket> oldest = m_cachedPackets.front();
            m_cachedPackets.pop_front();
            forwardPacket(oldest->getPacket());
        }
        // Decoders hold frames back (reordering, audio priming); without draining them the last
        // frames of every file would be lost.
        const bool drained = drainDecoders();
        if (!drained)
            m_drained = true;
        return drained || routed;
    }
    LMFFMediaStream *stream = streamOf(m_readPacket.get());
    if (cacheVideo && stream && isEnableForwardPacket(stream) && stream->isVideo()) {
        if (std::shared_ptr<LMFFPacket> oldest = cacheVideoPacketPop(m_readPacket.get(), false))
            forwardPacket(oldest->getPacket());
    } else {
        forwardPacket(m_readPacket.get());
    }
    av_packet_unref(m_readPacket.get());
    return true;
}

void LMFFMedia::forwardPacket(const AVPacket *packet)
{
    LMFFMediaStream *stream = streamOf(packet);
    if (!isEnableForwardPacket(stream))
        return;
    const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (ts != AV_NOPTS_VALUE)
        last_pts = rescaleToEngine(ts, stream->timebase());
    if ((packet->flags & AV_PKT_FLAG_KEY) && ts != AV_NOPTS_VALUE && stream == videoStream())
        m_lastKeyVideoPts = last_pts;
    stream->decodePacket(packet);
}

std::shared_ptr<LMFFPacket> LMFFMedia::cacheVideoPacketPop(const AVPacket *packet, bool pop)
{
    if (packet) {
        LMFFMediaStream *stream = streamOf(packet);
        const AVRational timeBase = stream ? stream->timebase() : AVRational{1, 1};
        if (std::shared_ptr<LMFFPacket> copy = LMFFPacket::packetWithCopy(packet, timeBase))
            m_cachedPackets.push_back(std::move(copy));
    }
    if ((pop || int(m_cachedPackets.size()) >= kMaxCachedPackets) && !m_cachedPackets.empty()) {
        std::shared_ptr<LMFFPacket> oldest = m_cachedPackets.front();
        m_cachedPackets.pop_front();
        return oldest;
    }
    return nullptr;
}

void LMFFMedia::clearCacheVideoPackets()
{
    m_cachedPackets.clear();
}

bool LMFFMedia::forwardStream(LMFFMediaStream *stream)
{
    if (!stream)
        return false;
    int64_t base = last_pts;
    if (stream->isAudio() && !(m_movie && m_movie->copy_audio_stream()))
        base = std::min(
            base,
            av_rescale_q(stream->audio_sync_frame, stream->audioOutputTimebase(), kEngineTimeBase));
    const bool cacheVideo = !stream->isVideo() && hasVideo() && m_movie && !m_movie->exportMovie();

    stream->hasFrame = false;
    for (;;) {
        if (stream->hasFrame || stream->hasPacket())
            return true;
        // While converting, audio of a media with video is decoded as a side effect of reading
        // the video; asking for it reads nothing.
        if (!cacheVideo && !stream->isVideo() && hasVideo())
            return true;
        if (last_pts != AV_NOPTS_VALUE && base != AV_NOPTS_VALUE
            && last_pts >= base + kReadAheadLimit)
            return true;
        if (!forwardNextPacketCacheVideo(cacheVideo))
            return false;
    }
}

std::shared_ptr<LMFFPacket> LMFFMedia::readNextPacketInStream(LMFFMediaStream *stream)
{
    if (!stream)
        return nullptr;
    std::shared_ptr<LMFFPacket> packet = stream->popFirstRawPacket();
    for (int i = 0; !packet && i < kMaxForwardsForFrame; ++i) {
        if (!forwardStream(stream))
            break;
        packet = stream->popFirstRawPacket();
    }
    if (packet) {
        packet->pkt_time_offset = start_time();
        packet->pkt_display_time = movie_position;
    }
    return packet;
}

std::shared_ptr<LMFFPacket> LMFFMedia::readNextVideoPacket()
{
    return readNextPacketInStream(videoStream());
}

std::shared_ptr<LMFFPacket> LMFFMedia::readNextAudioPacket()
{
    return readNextPacketInStream(audioStream());
}

// Pictures and subtitles ----------------------------------------------------------------------

AVFrame *LMFFMedia::videoFrameAtTime(int64_t t)
{
    LMFFMediaStream *video = videoStream();
    if (!video)
        return nullptr;
    const int64_t ts = av_rescale_q(start_time() + t, kEngineTimeBase, video->timebase());
    // A frame-threaded decoder hands frames out one per thread later than it takes packets, so a
    // seek that read up to the target leaves its output that many frames behind.
    const AVCodecContext *codec = video->codecContext();
    const int threadDelay
        = codec && (codec->active_thread_type & FF_THREAD_FRAME) ? codec->thread_count : 0;
    for (int i = 0; i < kMaxForwardsForFrame + threadDelay; ++i) {
        const AVFrame *frame = video->frame();
        // A frame covers [pts, pts + duration): the one ending exactly at ts is the previous one.
        if (frame->data[0] && frame->pts != AV_NOPTS_VALUE && frame->pts + frame->pkt_duration > ts)
            break;
        if (!forwardStream(video))
            break;
    }
    return video->frame();
}

void LMFFMedia::thumbnailAtTimeCurrentTimeBlock(int64_t t,
                                                int64_t resume,
                                                const std::function<void(AVFrame *)> &block)
{
    LMFFMediaStream *video = videoStream();
    if (!video)
        return;
    seek(t);
    // The picture shown at t, not the stream's latest one: see seek.
    AVFrame *frame = videoFrameAtTime(t);
    if (block)
        block(frame);
    seek(resume);
}

int64_t LMFFMedia::earlyEndTime() const
{
    if (!m_endOfInput)
        return -1;
    // Only a media that reads sound or pictures knows where its data stopped.
    const bool reads = std::any_of(m_streams.begin(), m_streams.end(), [&](const auto &stream) {
        return (stream->isAudio() || stream->isVideo()) && isEnableForwardPacket(stream.get());
    });
    if (!reads)
        return -1;
    // A file's streams may end a little apart, and a declared duration may be an estimate: only
    // a gap beyond a second (or a twentieth of a long file) is a file that stopped early.
    const int64_t declared = duration();
    const int64_t slack = std::max<int64_t>(1000000, declared / 20);
    return m_inputEnd + slack < declared ? std::max<int64_t>(m_inputEnd, 0) : -1;
}

LMPlacedImage LMFFMedia::subtitleAtTime(int64_t t)
{
    LMFFMediaStream *subtitle = subtitleStream();
    if (!subtitle)
        return {};
    const int64_t ts = av_rescale_q(start_time() + t, kEngineTimeBase, subtitle->timebase());
    const AVFrame *frame = subtitle->frame();
    if (frame->pts != AV_NOPTS_VALUE && frame->pts <= ts && ts - frame->pts < frame->pkt_duration)
        return subtitle->subtitle();
    return {};
}

QString LMFFMedia::subtitleStringAtTime(int64_t t)
{
    LMFFMediaStream *subtitle = subtitleStream();
    if (!subtitle)
        return QString();
    const int64_t ts = av_rescale_q(start_time() + t, kEngineTimeBase, subtitle->timebase());
    for (;;) {
        const AVFrame *frame = subtitle->frame();
        if (frame->pts != AV_NOPTS_VALUE && frame->pts + frame->pkt_duration >= ts)
            break;
        const int64_t before = last_pts;
        if (!forwardStream(subtitle))
            break;
        // Nothing was read (a media whose subtitle rides along with video): stop, not spin.
        if (!subtitle->hasFrame && last_pts == before)
            break;
    }
    const AVFrame *frame = subtitle->frame();
    std::shared_ptr<LMAssFrame> event = subtitle->assFrame();
    if (event && frame->pts != AV_NOPTS_VALUE && frame->pts <= ts
        && ts - frame->pts < frame->pkt_duration)
        return event->dialogString();
    return QString();
}

std::shared_ptr<LMAssFrame> LMFFMedia::readNextSubtitle()
{
    LMFFMediaStream *subtitle = subtitleStream();
    if (!subtitle)
        return nullptr;
    subtitle->setAssFrame(nullptr);
    while (!subtitle->assFrame()) {
        const int64_t before = last_pts;
        if (!forwardStream(subtitle))
            break;
        if (!subtitle->hasFrame && last_pts == before)
            break;
    }
    return subtitle->assFrame();
}

// Audio ---------------------------------------------------------------------------------------

void LMFFMedia::readAudioStreamDataFrame(LMFFMediaStream *stream, float *buffer, int n)
{
    if (!stream || !buffer || n <= 0)
        return;
    while (stream->outputSamples() < n) {
        const int before = stream->outputSamples();
        if (!forwardStream(stream))
            break;
        if (stream->outputSamples() <= before)
            break;
    }
    const AVFrame *frame = stream->frame();
    int64_t end = 0;
    if (frame->pts != AV_NOPTS_VALUE) {
        const int64_t inSamples
            = av_rescale_q(frame->pts, stream->timebase(), stream->framebase()) + frame->nb_samples;
        end = av_rescale_q(inSamples, stream->framebase(), stream->audioOutputTimebase());
    }
    const int64_t sync = stream->audio_sync_frame;
    const int have = stream->outputSamples();
    auto *bytes = reinterpret_cast<uint8_t *>(buffer);
    if (have >= n && have + n + sync > end) {
        stream->readSampleFrame(bytes, n);
    } else if (have > 0 && have < n && m_endOfInput) {
        // The last block of a stream is short: deliver it and let only the rest be silence.
        stream->readSampleFrameFillSilence(bytes, n);
    }
    stream->audio_sync_frame += n;
}

bool LMFFMedia::readSampleStreamFrame(float *buffer, const QList<LMFFMediaStream *> &streams, int n)
{
    for (int k = 0; k < streams.size(); ++k)
        readAudioStreamDataFrame(
            streams[k], buffer + size_t(k) * size_t(n) * size_t(outputChannels()), n);
    return true;
}

bool LMFFMedia::readSampleFrame(float *buffer, int n)
{
    const QList<LMFFMediaStream *> streams = audios();
    if (streams.isEmpty() || n <= 0)
        return true;
    const size_t block = size_t(n) * size_t(outputChannels());
    std::vector<float> scratch(block * size_t(streams.size()), 0.0f);
    readSampleStreamFrame(scratch.data(), streams, n);
    for (size_t i = 0; i < block; ++i) {
        float sum = 0;
        for (int k = 0; k < streams.size(); ++k)
            sum += scratch[size_t(k) * block + i];
        buffer[i] += sum;
    }
    return true;
}

bool LMFFMedia::readSampleNbStreamFrame(float *buffer, int k, int n)
{
    if (k <= 0)
        return readSampleFrame(buffer, n);
    const QList<LMFFMediaStream *> streams = audios().mid(0, k);
    return readSampleStreamFrame(buffer, streams, n);
}
