#include "Reelsmith/convert/LMVideoConverter.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/convert/LMConvertHandOver.h"
#include "Reelsmith/convert/LMConvertStatus.h"
#include "Reelsmith/convert/LMOutputTimeline.h"
#include "Reelsmith/convert/LMVideoConverterDelegate.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMCImagePool.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFPacket.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "platform/MainThread.h"
#include "platform/ResultFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QPainter>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <filesystem>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcConvert, "discwright.reelsmith.convert", QtWarningMsg)
} // namespace Reelsmith

using LMOutputTimeline::frameIndexAt;
using LMOutputTimeline::frameTimeUs;
using LMOutputTimeline::sampleIndexAt;
using LMOutputTimeline::sampleTimeUs;
using Reelsmith::lcConvert;
using Reelsmith::detail::ConvertHandOver;
using Reelsmith::detail::ConvertItem;

namespace {

// Pieces waiting between the decode queue and the writer besides the pictures: about 1.5 s of
// audio blocks, enough to cover a picture that is slow to decode.
constexpr int kHandOverItems = 64;
// Copied packets: this many reads without a packet end the picture stream of a segment.
constexpr int kStallLimit = 50;
constexpr std::chrono::milliseconds kPopWait{50};
constexpr std::chrono::milliseconds kPausedWait{50};
// The sound clock's rate when the output has no sound: it still paces the run and the progress.
constexpr int32_t kSilentClockRate = 10000;
// Row alignment of the scaled pictures, for the scaler's and the encoder's vector code.
constexpr int kPictureAlign = 64;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// hh:mm:ss.mmm of an engine time, for the messages.
QString timeText(int64_t timeUs)
{
    const int64_t ms = std::max<int64_t>(timeUs, 0) / 1000;
    const int64_t s = ms / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

bool existsAtPath(const QString &path)
{
    // A dangling link counts: it would be replaced as well.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

// One segment being converted. The set-up fields are written before the producing starts; the
// producing side (the movie's decode queue) owns the clocks below the line; the two sides meet
// only in the atomics and the hand-over.
struct LMVideoConverter::SegmentRun
{
    SegmentRef segment;
    std::shared_ptr<LMFFMovie> movie;
    int64_t start = 0;
    int64_t duration = 0;
    int64_t offset = 0;
    PictureMode mode = PictureMode::None;
    bool copyAudio = false;
    bool hasVideo = false;
    bool hasAudio = false;
    bool sourceHasAudio = false;
    int32_t fr = 1;
    int32_t ft = 1;
    int32_t rate = kSilentClockRate;
    int channels = 2;
    // The segment's share of the output timeline: global frame and sample frame indices.
    int64_t videoBegin = 0;
    int64_t videoEnd = 0;
    int64_t audioBegin = 0;
    int64_t audioEnd = 0;
    int64_t fadeInSamples = 0;
    int64_t fadeOutSamples = 0;
    LMFFVideoFormat picture{-1, 0, 0};
    AVBufferPool *framePool = nullptr;
    QString clipName;
    int64_t decodeErrorsBefore = 0;

    std::atomic<bool> producing{false};
    std::atomic<bool> needPicture{false};
    std::atomic<bool> finished{false};

    // Decode queue only.
    int64_t g = 0;  // next frame on the output timeline
    int64_t a = 0;  // next sample frame on the output timeline
    int64_t tv = 0; // copied packets: the latest picture time within the segment
    int64_t ta = 0; // copied packets: the latest sound time within the segment
    bool videoDone = false;
    bool audioDone = false;
    bool keySeen = false;
    int stall = 0;
    SwsContext *scaler = nullptr;
    // Pass-through: the last picture written, which stands in for one that cannot be decoded.
    AVFrame *lastGood = nullptr;
    // Pictures that could not be decoded or drawn, written as the last good one (or black).
    int64_t standIns = 0;
    bool drawnOnce = false;
    int64_t decodeErrorsAfter = 0;

    ~SegmentRun()
    {
        sws_freeContext(scaler);
        av_frame_free(&lastGood);
    }

    // Time within the segment of the next picture and of the next sound, for interleaving.
    int64_t videoTime() const
    {
        return mode == PictureMode::CopyPackets ? tv : frameTimeUs(g, fr, ft) - offset;
    }
    int64_t audioTime() const { return copyAudio ? ta : sampleTimeUs(a, rate) - offset; }
};

// Where the next segment starts: its offset (the sum of the segments before it) and the frame
// and sample frame counts written so far. Run thread only.
struct LMVideoConverter::Timeline
{
    int64_t offset = 0;
    int64_t videoFrames = 0;
    int64_t audioFrames = 0;
};

LMVideoConverter::LMVideoConverter()
    : m_imagePool(std::make_unique<LMCImagePool>())
{}

LMVideoConverter::~LMVideoConverter()
{
    if (!m_thread.joinable())
        return;
    // The job thread holds the converter; when it lets go last, the destructor runs on it.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void LMVideoConverter::setDelegate(LMVideoConverterDelegate *delegate, QObject *receiver)
{
    m_delegate = delegate;
    m_receiver = receiver;
}

// --- The segment seam ----------------------------------------------------------------------

bool LMVideoConverter::segmentHasAudio(const LMSegmentMovie &segment) const
{
    const auto movie = segment.ffmovie();
    return movie && movie->hasAudio();
}

bool LMVideoConverter::segmentHasVideo(const LMSegmentMovie &segment) const
{
    const auto movie = segment.ffmovie();
    return movie && movie->hasVideo();
}

void LMVideoConverter::setSegmentExport(LMSegmentMovie &segment, bool exportMovie)
{
    if (const auto movie = segment.ffmovie())
        movie->setExportMovie(exportMovie);
}

void LMVideoConverter::seekSegment(LMSegmentMovie &segment, int64_t time)
{
    if (const auto movie = segment.ffmovie())
        movie->setCurrentTime(time);
}

void LMVideoConverter::flushSegment(LMSegmentMovie &segment)
{
    if (const auto movie = segment.ffmovie())
        movie->flushOperation();
}

void LMVideoConverter::decodeSegmentImage(LMSegmentMovie &segment,
                                          int64_t time,
                                          const MovieImageAction &action,
                                          bool wait)
{
    const auto movie = segment.ffmovie();
    if (!movie) {
        action(nullptr);
        return;
    }
    movie->decodeImageAtTimeActionWaitUntilDone(time, action, wait);
}

QString LMVideoConverter::clipName(const LMSegmentMovie &segment) const
{
    if (const auto movie = segment.ffmovie()) {
        for (const auto &media : movie->medias()) {
            if (media && media->source())
                return QFileInfo(media->source()->path()).fileName();
        }
    }
    return QStringLiteral("a clip");
}

void LMVideoConverter::notify(Message message)
{
    QObject *receiver = m_receiver.data();
    LMVideoConverterDelegate *delegate = m_delegate;
    if (!receiver || !delegate)
        return;
    std::weak_ptr<LMVideoConverter> weak = weak_from_this();
    platform::postToMainThread(receiver, [weak, delegate, message] {
        const auto self = weak.lock();
        if (!self)
            return;
        switch (message) {
        case Message::Finished:
            delegate->converterDidFinished(self.get());
            break;
        case Message::Paused:
            delegate->converterDidPaused(self.get());
            break;
        case Message::Resumed:
            delegate->converterDidResume(self.get());
            break;
        }
    });
}

// --- Stream copy and pass-through ----------------------------------------------------------

void LMVideoConverter::updateConverterSpeedFast(bool video, bool audio)
{
    m_skipDecodeImage = video;
    m_skipDecodeAudio = audio;
}

bool LMVideoConverter::acceptCodecCopy(const QString &key)
{
    static const QSet<QString> accepted = {
        "mp4:video:h264",   "mp4:video:mpeg4",     "mp4:audio:ac3",        "mp4:audio:aac",
        "m4v:video:mpeg4",  "m4v:video:h264",      "m4v:audio:aac",        "m4v:audio:alac",
        "mov:video:mpeg4",  "mov:video:h264",      "mov:audio:alac",       "mov:audio:aac",
        "mov:audio:mp2",    "mov:audio:mp3",       "mkv:video:h264",       "mkv:video:mpeg4",
        "mkv:audio:vorbis", "mkv:audio:mp3",       "mkv:audio:aac",        "avi:video:mpeg4",
        "avi:video:h264",   "avi:audio:ac3",       "avi:audio:aac",        "avi:audio:mp3",
        "flv:video:h264",   "flv:video:flv",       "flv:audio:aac",        "flv:audio:mp3",
        "wmv:video:wmv3",   "wmv:video:h264",      "wmv:video:msmpeg4v2",  "wmv:audio:wmav2",
        "wmv:audio:wmapro", "asf:video:msmpeg4v2", "asf:video:wmv3",       "asf:video:h264",
        "asf:audio:wmapro", "asf:audio:wmav2",     "mpg:video:mpeg2video",
    };
    const bool accept = accepted.contains(key);
    qCDebug(lcConvert, "codec %d %s", int(accept), qPrintable(key));
    return accept;
}

bool LMVideoConverter::can_copy_codec_id(int32_t codecId, bool isVideo) const
{
    const QString key = QStringLiteral("%1:%2:%3")
                            .arg(QFileInfo(m_path).suffix(),
                                 isVideo ? QStringLiteral("video") : QStringLiteral("audio"),
                                 lm_get_codec_name_by_id(codecId));
    return acceptCodecCopy(key);
}

bool LMVideoConverter::isNoneEditWithMovie(const LMSegmentMovie &segment) const
{
    const auto movie = segment.ffmovie();
    return movie && isNoneEditMovie(*movie);
}

bool LMVideoConverter::isNoneEditMovie(const LMFFMovie &movie)
{
    if (movie.hasSubtitle())
        return false;
    const auto subtitles = movie.selectSubtitleStreams();
    if (subtitles && !subtitles->isEmpty())
        return false;
    const QSizeF video = movie.videoSize();
    const QRectF crop = movie.cropRect();
    if (std::fabs(crop.width() - video.width()) > 1.0
        || std::fabs(crop.height() - video.height()) > 1.0)
        return false;
    // The movie's own zoom type: the frame image places the picture by it (a DVD segment hands
    // it the one it chose).
    const int32_t zoom = movie.zoomType();
    if (zoom == 6)
        return false;
    if (zoom >= 2 && zoom <= 5) {
        QSizeF reference = movie.displaySize();
        if (reference.width() <= 0 || reference.height() <= 0)
            reference = video;
        if (zoom == LMSegmentMovie::kZoom4x3)
            reference = QSizeF(960, 720);
        else if (zoom == LMSegmentMovie::kZoom16x9)
            reference = QSizeF(1280, 720);
        const QSizeF out = movie.outputVideoSize();
        const double outAspect = out.height() / std::max(out.width(), 1.0);
        const double refAspect = reference.height() / std::max(reference.width(), 1.0);
        if (std::fabs(outAspect - refAspect) > 0.02)
            return false;
    }
    // Every other edit the frame image applies, the named effect and the sharpness included; a
    // value within 0.001 of neutral is no edit.
    const auto changed
        = [](float value, float neutral) { return std::fabs(value - neutral) > 0.001f; };
    if (changed(movie.saturation(), 0.5f) || changed(movie.brightness(), 0.5f)
        || changed(movie.contrast(), 0.25f) || changed(movie.hue(), 0.5f)
        || changed(movie.sharpness(), 0.5f) || changed(movie.rotate(), 0.0f))
        return false;
    if (movie.hflip() || movie.vflip())
        return false;
    return movie.effectName().isEmpty() && movie.watermark().isNull();
}

bool LMVideoConverter::isCanCopyImageForMovie(const LMSegmentMovie &segment) const
{
    if (drawsOwnPictures(segment))
        return false;
    const auto movie = segment.ffmovie();
    return movie && isNoneEditWithMovie(segment) && canPassThroughMovie(*movie);
}

bool LMVideoConverter::canPassThroughMovie(const LMFFMovie &movie)
{
    if (!isNoneEditMovie(movie))
        return false;
    const auto videos = movie.videos();
    const auto source = videos.isEmpty() ? nullptr : videos.last()->source();
    if (!source || !source->isDVD())
        return true;
    const auto subtitles = movie.selectSubtitleStreams();
    return subtitles && subtitles->isEmpty();
}

void LMVideoConverter::updateConverterContent()
{
    m_segments.clear();
    for (const auto &segment : segmentsOf(m_movies)) {
        if (segment)
            m_segments.append(segment);
    }
    const SegmentList &segments = m_segments;
    const auto first = segments.isEmpty() ? nullptr : segments.first()->ffmovie();
    int64_t total = 0;
    for (const auto &segment : segments) {
        total += segment->duration();
        const auto movie = segment->ffmovie();
        if (segmentHasAudio(*segment))
            m_hasAudio = true;
        if (segmentHasVideo(*segment))
            m_hasVideo = true;
        if (movie != first) {
            m_skipDecodeAudio = false;
            m_skipDecodeImage = false;
        }
        if (!movie) {
            m_skipDecodeAudio = false;
            m_skipDecodeImage = false;
            continue;
        }
        if (m_skipDecodeAudio && !can_copy_codec_id(movie->audioCodec(), false))
            m_skipDecodeAudio = false;
        if (m_skipDecodeImage && !can_copy_codec_id(movie->videoCodec(), true))
            m_skipDecodeImage = false;
        if (m_skipDecodeAudio) {
            const auto audios = movie->audios();
            if (!audios.isEmpty() && audios.last()->audios().size() > 1)
                m_skipDecodeAudio = false;
        }
    }
    const QString extension = QFileInfo(m_path).suffix().toLower();
    if (!m_hasAudio && extension == u"dvd") {
        // A DVD stream always carries sound: silence when the clips have none.
        m_hasAudio = true;
        m_skipDecodeAudio = false;
    }
    if (!m_hasVideo && extension == u"dvd" && m_format.width >= 1 && m_format.height >= 1) {
        // A title of nothing but sound (or no clip at all) gets black pictures.
        m_hasVideo = true;
        m_skipDecodeImage = false;
    }
    if (!m_hasVideo && extension == u"dv") {
        m_hasVideo = true;
        m_skipDecodeImage = false;
        m_copyImage = false;
    }
    if (m_skipDecodeAudio && lm_get_channel_layout_nb_channels(m_format.channel_layout) > 2)
        m_skipDecodeAudio = false;
    m_duration.store(total);
}

void LMVideoConverter::updateConverterSpeedMode()
{
    bool allPassThrough = m_copyImage;
    for (const auto &segment : m_segments) {
        if (!allPassThrough)
            break;
        allPassThrough = isCanCopyImageForMovie(*segment);
    }
    if (!allPassThrough) {
        m_skipDecodeImage = false;
        m_skipDecodeAudio = false;
    }
    // Copied sound follows copied pictures, or the two would not line up.
    if (!m_skipDecodeImage)
        m_skipDecodeAudio = false;
    qCDebug(lcConvert,
            "copy %d %d %d",
            int(allPassThrough),
            int(m_skipDecodeImage),
            int(m_skipDecodeAudio));
}

// --- State ---------------------------------------------------------------------------------

bool LMVideoConverter::isStarted() const
{
    std::lock_guard guard(m_endLock);
    return m_started;
}

bool LMVideoConverter::isFailed() const
{
    return isFinished() && m_faulted.load();
}

QString LMVideoConverter::lastError() const
{
    std::lock_guard guard(m_endLock);
    return m_lastError;
}

double LMVideoConverter::progress() const
{
    if (isFinished() && !m_faulted.load())
        return 1.0;
    const double frames
        = std::floor(lm_ff_time_to_double(m_duration.load()) * double(m_progressRate.load()));
    return std::min(double(m_convertFrames.load()) / std::max(frames, 1.0), 0.99);
}

void LMVideoConverter::startConvert()
{
    bool cancelledBeforeStart = false;
    {
        std::lock_guard guard(m_endLock);
        const int64_t status = m_status.load();
        if (status & LMConvertStatus::kRunning) {
            // A paused run continues.
            m_status.store(LMConvertStatus::kRunning);
            return;
        }
        if (m_ended || m_started)
            return;
        if (status == LMConvertStatus::kCancelled) {
            // Cancelled before it began: it ends without writing anything.
            m_started = true;
            m_ended = true;
            cancelledBeforeStart = true;
        } else {
            updateConverterContent();
            m_status.store(LMConvertStatus::kRunning);
            m_started = true;
        }
    }
    if (cancelledBeforeStart) {
        m_endChanged.notify_all();
        notify(Message::Finished);
        return;
    }
    m_thread = std::thread([self = shared_from_this(), keep = runKeepAlive()] { self->run(); });
}

void LMVideoConverter::pause()
{
    {
        std::lock_guard guard(m_endLock);
        const int64_t status = m_status.load();
        if (status & (LMConvertStatus::kReady | LMConvertStatus::kRunning))
            m_status.store(status | LMConvertStatus::kPaused);
    }
    notify(Message::Paused);
}

void LMVideoConverter::resume()
{
    {
        std::lock_guard guard(m_endLock);
        const int64_t status = m_status.load();
        if (status & LMConvertStatus::kPaused)
            m_status.store(status & ~LMConvertStatus::kPaused);
    }
    notify(Message::Resumed);
}

void LMVideoConverter::cancel()
{
    std::lock_guard guard(m_endLock);
    if (m_ended)
        return;
    m_status.store(LMConvertStatus::kCancelled);
}

void LMVideoConverter::waitUntilFinished()
{
    std::unique_lock lock(m_endLock);
    m_endChanged.wait(lock, [this] { return !m_started || m_ended; });
}

bool LMVideoConverter::waitUntilFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_endLock);
    return m_endChanged.wait_for(lock, timeout, [this] { return !m_started || m_ended; });
}

void LMVideoConverter::fail(const QString &why)
{
    {
        std::lock_guard guard(m_endLock);
        if (m_lastError.isEmpty())
            m_lastError = why;
    }
    m_faulted.store(true);
    qCWarning(lcConvert).noquote() << m_path << why;
}

bool LMVideoConverter::shouldStop() const
{
    return m_faulted.load() || m_status.load() == LMConvertStatus::kCancelled;
}

void LMVideoConverter::updateConverterStatus()
{
    const double now = steadySeconds();
    if (m_lastCalculateTime == 0) {
        m_lastCalculateTime = now;
        m_lastPercentCalculated = progress();
        return;
    }
    if (now - m_lastCalculateTime <= 2.0)
        return;
    const double elapsed = now - m_lastCalculateTime;
    const double current = progress();
    const double step = current - m_lastPercentCalculated;
    m_lastCalculateTime = now;
    m_lastPercentCalculated = current;
    m_timeNeedUse.store(elapsed / std::max(step, 0.0001) * (1.0 - current));
}

// --- The run -------------------------------------------------------------------------------

void LMVideoConverter::run()
{
    prepareRunSegments(m_segments);
    if (!shouldStop() && startMovieOutput() && !shouldStop())
        startConverting();
    m_imagePool->clearPool();
    stopMovieOutput();
    endRun();
}

bool LMVideoConverter::openResultFile()
{
    const QFileInfo target(m_path);
    if (m_path.isEmpty()) {
        fail(QStringLiteral("no output path"));
        return false;
    }
    if (m_placement == Placement::ReplaceAtPath) {
        // A link stays: the file it points to is overwritten.
        if (!target.isSymLink())
            QFile::remove(m_path);
        m_writePath = m_path;
        return true;
    }
    if (existsAtPath(m_path)) {
        fail(QStringLiteral("a file is already at %1").arg(m_path));
        return false;
    }
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder)) {
        fail(QStringLiteral("cannot create the folder %1").arg(folder));
        return false;
    }
    // The result is written beside its destination, under a hidden name with the same extension
    // (the muxer comes from it), and renamed into place only once it is complete.
    const QString suffix = target.suffix();
    QTemporaryFile temp(folder + QStringLiteral("/.") + target.completeBaseName()
                        + QStringLiteral(".XXXXXX")
                        + (suffix.isEmpty() ? QString() : "." + suffix));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        fail(QStringLiteral("cannot write in %1: %2").arg(folder, temp.errorString()));
        return false;
    }
    m_writePath = temp.fileName();
    temp.close();
    return true;
}

bool LMVideoConverter::startMovieOutput()
{
    updateConverterSpeedMode();
    if (!openResultFile())
        return false;

    m_movieOutput = std::make_unique<LMFFMovieFileOutput>();
    m_movieOutput->setPath(m_writePath);
    m_movieOutput->setMovieFormat(m_format);
    // The movies deliver their sound in the engine's format; the output resamples it once.
    m_movieOutput->setAudioInputFormat(lm_get_default_audio_format());

    const auto last = m_segments.isEmpty() ? nullptr : m_segments.last()->ffmovie();
    const bool wantVideo = m_hasVideo && m_format.width >= 1 && m_format.height >= 1
                           && m_format.framerate >= 1 && m_format.frameTime >= 1;
    if (wantVideo) {
        const auto videos = last ? last->videos() : QList<std::shared_ptr<LMFFMedia>>();
        if (m_skipDecodeImage && !videos.isEmpty())
            m_movieOutput->copyVideoMedia(*videos.last());
        else
            m_movieOutput->openVideo();
        if (!m_movieOutput->isVideoOpen()) {
            fail(
                QStringLiteral("cannot open the video stream: %1").arg(m_movieOutput->lastError()));
            return false;
        }
    }
    m_hasVideo = m_movieOutput->isVideoOpen();
    if (!m_hasVideo)
        m_skipDecodeImage = false;

    const bool wantAudio = m_hasAudio && m_format.sample_rate >= 1;
    if (wantAudio) {
        const auto audios = last ? last->audios() : QList<std::shared_ptr<LMFFMedia>>();
        if (m_skipDecodeAudio && !audios.isEmpty())
            m_movieOutput->copyAudioMedia(*audios.last());
        else
            m_movieOutput->openAudio();
        if (!m_movieOutput->isAudioOpen()) {
            fail(
                QStringLiteral("cannot open the audio stream: %1").arg(m_movieOutput->lastError()));
            return false;
        }
    }
    m_hasAudio = m_movieOutput->isAudioOpen();
    if (!m_hasAudio)
        m_skipDecodeAudio = false;

    if (!m_hasVideo && !m_hasAudio) {
        fail(QStringLiteral("the output has neither video nor audio"));
        return false;
    }
    if (!m_movieOutput->startOutput()) {
        const QString why = m_movieOutput->lastError();
        fail(why.isEmpty() ? QStringLiteral("cannot start the output") : why);
        return false;
    }

    const LMFFAudioFormat input = m_movieOutput->audioInputFormat();
    m_channels = std::max(1, lm_get_channel_layout_nb_channels(input.channel_layout));
    m_sampleRate = m_hasAudio ? input.sample_rate : kSilentClockRate;
    m_progressRate.store(std::max<int64_t>(kSilentClockRate, m_hasAudio ? input.sample_rate : 0));

    // Bitmaps only when some segment is drawn with its edits.
    const bool anyComposed
        = m_hasVideo && std::any_of(m_segments.begin(), m_segments.end(), [&](const auto &s) {
              return !(m_copyImage && isCanCopyImageForMovie(*s));
          });
    if (anyComposed) {
        const LMFFVideoFormat video = m_movieOutput->outputVideoFormat();
        for (int i = 0; i < m_poolCacheCount; ++i)
            m_imagePool->appendFreeImageContext(
                LMBitmapImage::imageWithSize(QSizeF(video.width, video.height)));
    }
    if (m_hasVideo) {
        const LMFFVideoFormat video = m_movieOutput->outputVideoFormat();
        const int bytes
            = video.width > 0 && video.height > 0 ? av_image_get_buffer_size(
                  AVPixelFormat(video.pix_fmt), video.width, video.height, kPictureAlign)
                                                  : 0;
        if (bytes > 0)
            m_framePool = av_buffer_pool_init(size_t(bytes), nullptr);
    }
    m_handOver = std::make_unique<ConvertHandOver>(m_poolCacheCount, kHandOverItems);
    return true;
}

void LMVideoConverter::startConverting()
{
    m_currentMovieIndex.store(0);
    Timeline timeline;
    for (const auto &segment : m_segments) {
        if (shouldStop())
            break;
        // A segment of no length adds nothing and moves nothing.
        const bool empty = segment->duration() <= 0 || !segment->ffmovie();
        if (!empty || m_indexCountsEmptySegments)
            m_currentMovieIndex.fetch_add(1);
        if (empty)
            continue;
        convertSegment(segment, timeline);
    }
}

void LMVideoConverter::convertSegment(const SegmentRef &segment, Timeline &timeline)
{
    auto run = std::make_shared<SegmentRun>();
    run->segment = segment;
    run->movie = segment->ffmovie();
    run->start = segment->start();
    run->duration = segment->duration();
    run->offset = timeline.offset;
    run->hasVideo = m_hasVideo;
    run->hasAudio = m_hasAudio;
    run->sourceHasAudio = run->movie->hasAudio();
    run->copyAudio = m_skipDecodeAudio && m_hasAudio;
    const bool passThrough = m_copyImage && isCanCopyImageForMovie(*segment);
    if (!m_hasVideo)
        run->mode = PictureMode::None;
    else if (passThrough && m_skipDecodeImage)
        run->mode = PictureMode::CopyPackets;
    else if (passThrough)
        run->mode = PictureMode::PassThrough;
    else
        run->mode = PictureMode::Composed;
    m_lastMode.store(run->mode);
    run->rate = m_sampleRate;
    run->channels = m_channels;
    run->fr = m_hasVideo ? std::max(1, m_format.framerate) : 1;
    run->ft = m_hasVideo ? std::max(1, m_format.frameTime) : 1;
    if (m_hasVideo)
        run->picture = m_movieOutput->outputVideoFormat();
    run->framePool = m_framePool;
    run->clipName = clipName(*segment);

    // The segment covers the output timeline from its offset to its end, so its share of frames
    // and sample frames makes up for whatever the segments before it left over.
    const int64_t end = timeline.offset + run->duration;
    run->videoBegin = timeline.videoFrames;
    run->videoEnd = std::max(run->videoBegin, frameIndexAt(end, run->fr, run->ft));
    run->audioBegin = timeline.audioFrames;
    run->audioEnd = std::max(run->audioBegin, sampleIndexAt(end, run->rate));
    run->g = run->videoBegin;
    run->a = run->audioBegin;
    run->fadeInSamples = int64_t(lm_ff_time_to_double(segment->fadeIn()) * run->rate);
    run->fadeOutSamples = int64_t(lm_ff_time_to_double(segment->fadeOut()) * run->rate);

    prepareSegment(*segment);
    LMFFMovie &movie = *run->movie;
    // A clip drawing its own pictures only takes its sound from its movie.
    movie.setDisableVideo(!m_hasVideo || drawsOwnPictures(*segment));
    // Through the seam: a page moves and flushes the pictures it draws along with its movie.
    setSegmentExport(*segment, true);
    movie.setCopyAudioStream(run->copyAudio);
    movie.setCopyVideoStream(run->mode == PictureMode::CopyPackets);
    seekSegment(*segment, run->start);
    flushSegment(*segment);
    movie.decodeImageWaitUntilDone([&] { run->decodeErrorsBefore = movie.decodeErrorCount(); },
                                   true);

    run->producing.store(true);
    movie.decodeImageWaitUntilDone([this, run] { produce(run); }, false);
    for (;;) {
        if (shouldStop())
            break;
        if (isPaused()) {
            std::this_thread::sleep_for(kPausedWait);
            continue;
        }
        updateConverterStatus();
        ConvertItem item;
        if (!m_handOver->pop(&item, kPopWait)) {
            schedule(run);
            continue;
        }
        if (item.kind == ConvertItem::Kind::SegmentEnd)
            break;
        write(item, run->offset);
        if (m_movieOutput->hasWriteError()) {
            fail(m_movieOutput->lastError());
            break;
        }
        schedule(run);
    }
    // Whatever the queue still does for this segment ends before the movie is handed back.
    run->finished.store(true);
    flushSegment(*segment);
    m_handOver->clear();
    movie.decodeImageWaitUntilDone([&] { run->decodeErrorsAfter = movie.decodeErrorCount(); },
                                   true);
    // Damaged data the decoders skipped: the run goes on, as long as the file can still be read.
    const int64_t errors = run->decodeErrorsAfter - run->decodeErrorsBefore;
    if (errors > 0 || run->standIns > 0)
        qCWarning(lcConvert).noquote()
            << QStringLiteral(
                   "%1: %2 damaged packets skipped, %3 pictures repeated the last good one")
                   .arg(run->clipName)
                   .arg(errors)
                   .arg(run->standIns);

    timeline.offset = end;
    timeline.videoFrames = run->videoEnd;
    timeline.audioFrames = run->audioEnd;

    movie.setDisableVideo(false);
    setSegmentExport(*segment, false);
    movie.setCopyAudioStream(false);
    movie.setCopyVideoStream(false);
    seekSegment(*segment, run->start);
    flushSegment(*segment);
}

bool LMVideoConverter::canProduce(const SegmentRun &run) const
{
    const bool picture = run.needPicture.load();
    if (!m_handOver->hasRoom(picture))
        return false;
    return !(picture && run.mode == PictureMode::Composed && m_imagePool->freeCount() == 0);
}

void LMVideoConverter::schedule(const std::shared_ptr<SegmentRun> &run)
{
    if (run->finished.load() || run->producing.load() || !canProduce(*run))
        return;
    if (run->producing.exchange(true))
        return;
    run->movie->decodeImageWaitUntilDone([this, run] { produce(run); }, false);
}

void LMVideoConverter::produce(const std::shared_ptr<SegmentRun> &run)
{
    for (;;) {
        while (!run->finished.load() && !shouldStop()) {
            const bool audioLeft = run->hasAudio && !run->audioDone;
            const bool videoLeft = run->hasVideo && !run->videoDone;
            run->needPicture.store(videoLeft
                                   && !(audioLeft && run->audioTime() <= run->videoTime()));
            if (!canProduce(*run) || !produceOne(*run))
                break;
            m_maxPendingPictures.store(
                std::max(m_maxPendingPictures.load(), m_handOver->pictureCount()));
        }
        run->producing.store(false);
        if (run->finished.load() || shouldStop())
            return;
        // The writer may have made room between the check above and the flag going down.
        if (!canProduce(*run) || run->producing.exchange(true))
            return;
    }
}

bool LMVideoConverter::produceOne(SegmentRun &run)
{
    LMFFMovie &movie = *run.movie;
    const bool audioLeft = run.hasAudio && !run.audioDone;
    const bool videoLeft = run.hasVideo && !run.videoDone;
    ConvertItem item;
    if (!audioLeft && !videoLeft) {
        item.kind = ConvertItem::Kind::SegmentEnd;
        item.time = run.duration;
        m_handOver->push(std::move(item));
        run.finished.store(true);
        return false;
    }

    if (audioLeft && (!videoLeft || run.audioTime() <= run.videoTime())) {
        if (run.copyAudio) {
            const auto packet = movie.readNextAudioPacket();
            if (!packet) {
                if (stoppedReading(run, run.start + run.duration - 1))
                    return false;
                run.audioDone = true;
                return true;
            }
            auto image = LMFFImage::imageWithFFPacket(*packet);
            const int64_t t = image->get_image_display_in_movie_time() - run.start;
            if (t >= run.duration) {
                run.audioDone = true;
                return true;
            }
            // Before a trimmed start the packets belong to the part cut away; at the file's start
            // they are the encoder's priming, which the first samples need.
            if (t < 0 && run.start > 0)
                return true;
            image->set_movie_real_start_time(run.start - run.offset);
            run.ta = std::max(run.ta, t);
            item.kind = ConvertItem::Kind::AudioPacket;
            item.time = std::max<int64_t>(0, t);
            item.packet = std::move(image);
        } else {
            const int n = int(std::min<int64_t>(kAudioBlockFrames, run.audioEnd - run.a));
            item.kind = ConvertItem::Kind::Samples;
            item.samples.assign(size_t(n) * size_t(run.channels), 0.0f);
            if (run.sourceHasAudio) {
                // Past the end of the clip's sound the block stays silent; a file that stopped
                // early is another matter.
                readMovie(movie,
                          item.samples.data(),
                          n,
                          run.channels,
                          run.a - run.audioBegin,
                          run.audioEnd - run.audioBegin,
                          run.fadeInSamples,
                          run.fadeOutSamples);
                const int64_t within = std::clamp<int64_t>(
                    sampleTimeUs(run.a, run.rate) - run.offset, 0, run.duration);
                if (stoppedReading(run, run.start + within))
                    return false;
            }
            run.a += n;
            item.time
                = std::clamp<int64_t>(sampleTimeUs(run.a, run.rate) - run.offset, 0, run.duration);
            if (run.a >= run.audioEnd)
                run.audioDone = true;
        }
        m_handOver->push(std::move(item));
        return true;
    }

    switch (run.mode) {
    case PictureMode::CopyPackets: {
        std::shared_ptr<LMFFPacket> packet;
        movie.decodeImagePacketWithAction(
            [&](const std::shared_ptr<LMFFPacket> &p) { packet = p; });
        if (!packet) {
            if (++run.stall > kStallLimit) {
                if (stoppedReading(run, run.start + run.duration - 1))
                    return false;
                run.videoDone = true;
            }
            return true;
        }
        run.stall = 0;
        auto image = LMFFImage::imageWithFFPacket(*packet);
        const int64_t t = image->get_image_display_in_movie_time() - run.start;
        if (t >= run.duration) {
            run.videoDone = true;
            return true;
        }
        if (!run.keySeen && !image->isKeyPacket())
            return true;
        run.keySeen = true;
        image->set_movie_real_start_time(run.start - run.offset);
        run.tv = std::max(run.tv, t);
        item.kind = ConvertItem::Kind::VideoPacket;
        item.time = std::max<int64_t>(0, t);
        item.packet = std::move(image);
        m_handOver->push(std::move(item));
        return true;
    }
    case PictureMode::PassThrough:
    case PictureMode::Composed: {
        // The source time of frame g: where its start falls on the output timeline, within the
        // segment.
        const int64_t within = std::clamp<int64_t>(frameTimeUs(run.g, run.fr, run.ft) - run.offset,
                                                   0,
                                                   std::max<int64_t>(run.duration - 1, 0));
        const int64_t sourceTime = run.start + within;
        if (run.mode == PictureMode::PassThrough) {
            movie.updateCurrentMedias();
            const auto media = movie.currentVideoMedia();
            const AVFrame *decoded
                = media ? media->videoFrameAtTime(sourceTime - media->movie_position) : nullptr;
            if (stoppedReading(run, sourceTime))
                return false;
            item.kind = ConvertItem::Kind::Picture;
            item.frame = scaledFrame(run, decoded);
            if (item.frame) {
                av_frame_free(&run.lastGood);
                run.lastGood = av_frame_clone(item.frame);
            } else if (run.lastGood) {
                // A picture that cannot be decoded or scaled: the last good one again.
                ++run.standIns;
                item.frame = av_frame_clone(run.lastGood);
            }
        } else {
            auto bitmap = m_imagePool->getFreeImageContext();
            if (!bitmap)
                return false;
            bool drawn = false;
            // Asked of the clip, so that a clip drawing its own pictures is drawn too.
            decodeSegmentImage(
                *run.segment,
                sourceTime,
                [&](const std::shared_ptr<LMMovieImage> &image) {
                    drawn = image && image->drawToBitmapImage(*bitmap);
                },
                true);
            if (!drawsOwnPictures(*run.segment) && stoppedReading(run, sourceTime)) {
                m_imagePool->appendFreeImageContext(bitmap);
                return false;
            }
            if (drawn) {
                run.drawnOnce = true;
            } else {
                // Black before any picture (a clip of sound only is black throughout); a picture
                // missing after good ones is damage, and counted.
                if (run.drawnOnce)
                    ++run.standIns;
                bitmap->drawInImage(
                    [&](QPainter &painter) { painter.fillRect(bitmap->drawRect(), Qt::black); });
            }
            item.kind = ConvertItem::Kind::Composed;
            item.bitmap = std::move(bitmap);
        }
        ++run.g;
        item.time
            = std::clamp<int64_t>(frameTimeUs(run.g, run.fr, run.ft) - run.offset, 0, run.duration);
        if (run.g >= run.videoEnd)
            run.videoDone = true;
        m_handOver->push(std::move(item));
        return true;
    }
    case PictureMode::None:
        run.videoDone = true;
        return true;
    }
    return true;
}

bool LMVideoConverter::stoppedReading(SegmentRun &run, int64_t sourceTime)
{
    const int64_t stopped = run.movie->readingStoppedBefore(sourceTime);
    if (stopped < 0)
        return false;
    fail(QStringLiteral("cannot read \"%1\" after %2").arg(run.clipName, timeText(stopped)));
    return true;
}

AVFrame *LMVideoConverter::scaledFrame(SegmentRun &run, const AVFrame *decoded)
{
    if (!decoded || !decoded->data[0] || decoded->width < 1 || decoded->height < 1)
        return nullptr;
    const auto from = AVPixelFormat(decoded->format);
    const auto to = AVPixelFormat(run.picture.pix_fmt);
    if (from == to && decoded->width == run.picture.width && decoded->height == run.picture.height)
        return av_frame_clone(decoded);
    if (run.picture.width < 1 || run.picture.height < 1 || !sws_isSupportedInput(from)
        || !sws_isSupportedOutput(to))
        return nullptr;
    AVFrame *frame = av_frame_alloc();
    if (!frame)
        return nullptr;
    frame->format = to;
    frame->width = run.picture.width;
    frame->height = run.picture.height;
    frame->buf[0] = run.framePool ? av_buffer_pool_get(run.framePool) : nullptr;
    if (!frame->buf[0]
        || av_image_fill_arrays(frame->data,
                                frame->linesize,
                                frame->buf[0]->data,
                                to,
                                frame->width,
                                frame->height,
                                kPictureAlign)
               < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    // Bicubic: a DVD frame is mostly a strong downscale, where bilinear visibly softens.
    run.scaler = sws_getCachedContext(run.scaler,
                                      decoded->width,
                                      decoded->height,
                                      from,
                                      frame->width,
                                      frame->height,
                                      to,
                                      SWS_BICUBIC,
                                      nullptr,
                                      nullptr,
                                      nullptr);
    if (!run.scaler) {
        av_frame_free(&frame);
        return nullptr;
    }
    sws_scale(run.scaler,
              decoded->data,
              decoded->linesize,
              0,
              decoded->height,
              frame->data,
              frame->linesize);
    return frame;
}

void LMVideoConverter::write(ConvertItem &item, int64_t offset)
{
    LMFFMovieFileOutput &output = *m_movieOutput;
    switch (item.kind) {
    case ConvertItem::Kind::Picture:
        if (item.frame)
            output.writeRawVideoFrame(item.frame, output.movieFrameDuration());
        else
            output.writeEmptyVideoFrame();
        break;
    case ConvertItem::Kind::Composed:
        output.writeBitmapImage(*item.bitmap);
        m_imagePool->appendFreeImageContext(item.bitmap);
        break;
    case ConvertItem::Kind::Samples:
        if (!item.samples.empty())
            output.writeSample(reinterpret_cast<const uint8_t *>(item.samples.data()),
                               int(item.samples.size() / size_t(m_channels)));
        break;
    case ConvertItem::Kind::VideoPacket:
        output.writeVideoPacket(*item.packet);
        break;
    case ConvertItem::Kind::AudioPacket:
        output.writeAudioPacket(*item.packet);
        break;
    case ConvertItem::Kind::SegmentEnd:
        break;
    }
    const int64_t frames = sampleIndexAt(offset + item.time, int32_t(m_progressRate.load()));
    if (frames > m_convertFrames.load())
        m_convertFrames.store(frames);
}

void LMVideoConverter::stopMovieOutput()
{
    if (m_movieOutput) {
        const bool written = m_movieOutput->stopOutput();
        if (!written && !shouldStop())
            fail(m_movieOutput->lastError());
        m_movieOutput.reset();
    }
    m_handOver.reset();
    // Buffers still referenced elsewhere free themselves when let go.
    av_buffer_pool_uninit(&m_framePool);
}

void LMVideoConverter::endRun()
{
    {
        std::lock_guard guard(m_endLock);
        // Decided under the lock, so that a cancel either comes first (nothing is moved in) or
        // finds the run ended.
        const bool cancelled = m_status.load() == LMConvertStatus::kCancelled;
        if (m_placement == Placement::ReplaceAtPath) {
            // A partial or damaged file is never left behind as if it were a result.
            if ((cancelled || m_faulted.load()) && !m_writePath.isEmpty()) {
                std::error_code ignored;
                std::filesystem::remove(m_writePath.toStdString(), ignored);
            }
        } else if (!cancelled && !m_faulted.load() && !m_writePath.isEmpty()) {
            QString why;
            if (platform::renameWithoutReplacing(m_writePath, m_path, &why)
                != platform::ResultPlacement::Placed) {
                if (m_lastError.isEmpty())
                    m_lastError = why;
                m_faulted.store(true);
                qCWarning(lcConvert).noquote() << m_path << why;
            }
        }
        if (m_placement == Placement::BesideThenRename && !m_writePath.isEmpty()
            && existsAtPath(m_writePath))
            QFile::remove(m_writePath);
        // A failed run ends finished too, without its file; lastError says why.
        if (!cancelled)
            m_status.store(LMConvertStatus::kFinished);
        m_ended = true;
    }
    m_endChanged.notify_all();
    notify(Message::Finished);
}

// --- Audio ---------------------------------------------------------------------------------

double LMVideoConverter::fadeGain(int64_t hasRead, int64_t total, int64_t fadeIn, int64_t fadeOut)
{
    double gain = 1.0;
    if (hasRead + fadeOut > total)
        gain = double(total - hasRead) / double(std::max<int64_t>(fadeOut, 1));
    if (fadeIn > hasRead)
        gain = double(hasRead) / double(std::max<int64_t>(fadeIn, 1));
    return gain >= 0.0 ? gain : 0.0;
}

bool LMVideoConverter::readMovie(LMFFMovie &movie,
                                 float *buffer,
                                 int n,
                                 int64_t hasRead,
                                 int64_t total,
                                 int64_t fadeIn,
                                 int64_t fadeOut)
{
    return readMovie(movie, buffer, n, 2, hasRead, total, fadeIn, fadeOut);
}

bool LMVideoConverter::readMovie(LMFFMovie &movie,
                                 float *buffer,
                                 int n,
                                 int channels,
                                 int64_t hasRead,
                                 int64_t total,
                                 int64_t fadeIn,
                                 int64_t fadeOut)
{
    if (!movie.readSampleNbStreamFrame(buffer, 0, n))
        return false;
    const double gain = fadeGain(hasRead, total, fadeIn, fadeOut);
    if (gain < 0.99) {
        const float g = float(gain);
        const size_t count = size_t(n) * size_t(channels);
        for (size_t i = 0; i < count; ++i)
            buffer[i] *= g;
    }
    return true;
}
