#include "Reelsmith/convert/LMVideoConverter.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/convert/LMConvertHandOver.h"
#include "Reelsmith/convert/LMConvertStatus.h"
#include "Reelsmith/convert/LMVideoConverterDelegate.h"
#include "Reelsmith/encode/LMFFMovieFileOutput.h"
#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMCImagePool.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMFFPacket.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/segment/LMSegmentMovie.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QObject>
#include <QPainter>
#include <QSet>
#include <cmath>
#include <filesystem>

extern "C" {
#include <libavutil/frame.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcConvert, "discwright.reelsmith.convert", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcConvert;
using Reelsmith::detail::ConvertHandOver;
using Reelsmith::detail::ConvertItem;

namespace {

constexpr int kAudioBlock = 1024;
// Pieces waiting between the decode queue and the encoder besides the pictures: about 1.5 s of
// audio blocks, enough to cover a picture that is slow to decode.
constexpr int kHandOverItems = 64;
constexpr int kStallLimit = 50;
constexpr std::chrono::milliseconds kPopWait{50};

double nowSeconds()
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

} // namespace

// One segment being converted. The producing side (the movie's decode queue) owns the clocks and
// flags below the line; the two sides meet only in the atomics and the hand-over.
struct LMVideoConverter::SegmentRun
{
    std::shared_ptr<LMSegmentMovie> segment;
    std::shared_ptr<LMFFMovie> movie;
    int64_t start = 0;
    int64_t duration = 0;
    int64_t offset = 0;
    PictureMode mode = PictureMode::None;
    bool copyAudio = false;
    bool hasVideo = false;
    bool hasAudio = false;
    bool sourceHasAudio = false;
    int32_t fr = 25;
    int32_t ft = 1;
    int32_t rate = 44100;
    int64_t totalSamples = 0;
    int64_t fadeInSamples = 0;
    int64_t fadeOutSamples = 0;

    std::atomic<bool> producing{false};
    std::atomic<bool> needPicture{false};
    std::atomic<bool> finished{false};

    // Decode queue only.
    int64_t v = 0;  // video ticks written, in ft units of 1/fr s
    int64_t tv = 0; // video time within the segment
    int64_t a = 0;  // samples read
    int64_t ta = 0; // audio time within the segment
    bool videoDone = false;
    bool audioDone = false;
    bool keySeen = false;
    int stall = 0;
};

LMVideoConverter::LMVideoConverter()
    : m_imagePool(std::make_unique<LMCImagePool>())
{}

LMVideoConverter::~LMVideoConverter()
{
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id()) {
            m_thread.detach();
        } else {
            m_cancelled.store(true);
            m_thread.join();
        }
    }
}

void LMVideoConverter::setDelegate(LMVideoConverterDelegate *delegate, QObject *receiver)
{
    m_delegate = delegate;
    m_receiver = receiver;
}

void LMVideoConverter::setError(const QString &error)
{
    {
        std::lock_guard guard(m_errorLock);
        if (m_lastError.isEmpty())
            m_lastError = error;
    }
    qCWarning(lcConvert).noquote() << m_path << error;
}

QString LMVideoConverter::lastError() const
{
    std::lock_guard guard(m_errorLock);
    return m_lastError;
}

double LMVideoConverter::progress() const
{
    if (m_finished.load() && !m_failed.load() && !m_cancelled.load())
        return 1.0;
    const double fraction = double(m_converted.load()) / double(std::max<int64_t>(1, m_duration));
    return std::clamp(fraction, 0.0, 0.99);
}

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
    return accepted.contains(key);
}

bool LMVideoConverter::can_copy_codec_id(int32_t codecId, bool isVideo) const
{
    const QString key = QStringLiteral("%1:%2:%3")
                            .arg(QFileInfo(m_path).suffix(),
                                 isVideo ? QStringLiteral("video") : QStringLiteral("audio"),
                                 lm_get_codec_name_by_id(codecId));
    const bool accepted = acceptCodecCopy(key);
    qCDebug(lcConvert, "codec %d %s", int(accepted), qPrintable(key));
    return accepted;
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
    const auto movie = segment.ffmovie();
    if (!movie || !isNoneEditWithMovie(segment))
        return false;
    const auto videos = movie->videos();
    const auto source = videos.isEmpty() ? nullptr : videos.last()->source();
    if (!source || !source->isDVD())
        return true;
    const auto subtitles = movie->selectSubtitleStreams();
    return subtitles && subtitles->isEmpty();
}

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
    if (!movie.readSampleNbStreamFrame(buffer, 0, n))
        return false;
    const double gain = fadeGain(hasRead, total, fadeIn, fadeOut);
    if (gain < 0.99) {
        const float g = float(gain);
        for (int i = 0; i < n * 2; ++i)
            buffer[i] *= g;
    }
    return true;
}

void LMVideoConverter::composeFrameImage(const LMMovieImage &image, LMBitmapImage &bitmap) const
{
    // The edited picture, scaled to the encoder's frame in the same resampling.
    if (image.drawToBitmapImage(bitmap))
        return;
    // Without a frame (or a bitmap the composition cannot draw into) the frame is black.
    bitmap.drawInImage([&](QPainter &painter) { painter.fillRect(bitmap.drawRect(), Qt::black); });
}

void LMVideoConverter::updateConverterContent()
{
    int64_t total = 0;
    const auto first = m_movies.isEmpty() ? nullptr : m_movies.first()->ffmovie();
    for (const auto &segment : m_movies) {
        const auto movie = segment->ffmovie();
        if (!movie)
            continue;
        total += segment->duration();
        if (movie->hasAudio())
            m_hasAudio = true;
        if (movie->hasVideo())
            m_hasVideo = true;
        if (movie != first) {
            m_skipDecodeAudio = false;
            m_skipDecodeImage = false;
        }
        if (m_skipDecodeAudio && !can_copy_codec_id(movie->audioCodec(), false))
            m_skipDecodeAudio = false;
        if (m_skipDecodeImage && !can_copy_codec_id(movie->videoCodec(), true))
            m_skipDecodeImage = false;
        if (m_skipDecodeAudio) {
            const auto audios = movie->audios();
            if (!audios.isEmpty() && audios.last()->audios().size() >= 2)
                m_skipDecodeAudio = false;
        }
    }
    const QString extension = QFileInfo(m_path).suffix().toLower();
    if (extension == u"dvd") {
        // A DVD title always carries sound; silence when the sources have none.
        m_hasAudio = true;
        m_skipDecodeAudio = false;
    } else if (extension == u"dv") {
        m_hasVideo = true;
        m_skipDecodeImage = false;
        m_copyImage = false;
    }
    if (m_skipDecodeAudio && lm_get_channel_layout_nb_channels(m_format.channel_layout) >= 3)
        m_skipDecodeAudio = false;
    m_duration = total;
}

void LMVideoConverter::startConvert()
{
    if (m_started.exchange(true)) {
        resume();
        return;
    }
    updateConverterContent();
    m_thread = std::thread([self = shared_from_this()] { self->run(); });
}

int64_t LMVideoConverter::statusType() const
{
    if (m_cancelled.load())
        return LMConvertStatus::kCancelled;
    if (m_finished.load())
        return LMConvertStatus::kFinished;
    const int64_t paused = m_paused.load() ? LMConvertStatus::kPaused : 0;
    return (m_started.load() ? LMConvertStatus::kRunning : LMConvertStatus::kReady) | paused;
}

void LMVideoConverter::pause()
{
    m_paused.store(true);
    notify(&LMVideoConverterDelegate::converterDidPaused);
}

void LMVideoConverter::resume()
{
    m_paused.store(false);
    notify(&LMVideoConverterDelegate::converterDidResume);
}

void LMVideoConverter::cancel()
{
    m_cancelled.store(true);
}

void LMVideoConverter::waitUntilFinished()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void LMVideoConverter::notify(void (LMVideoConverterDelegate::*message)(LMVideoConverter *))
{
    QObject *receiver = m_receiver.data();
    LMVideoConverterDelegate *delegate = m_delegate;
    if (!receiver || !delegate)
        return;
    std::weak_ptr<LMVideoConverter> weak = weak_from_this();
    QMetaObject::invokeMethod(
        receiver,
        [weak, delegate, message] {
            if (const auto self = weak.lock())
                (delegate->*message)(self.get());
        },
        Qt::QueuedConnection);
}

void LMVideoConverter::run()
{
    if (startMovieOutput()) {
        int64_t offset = 0;
        for (const auto &segment : m_movies) {
            if (m_cancelled.load() || m_failed.load())
                break;
            if (segment->duration() <= 0 || !segment->ffmovie())
                continue;
            m_currentMovieIndex.fetch_add(1);
            convertSegment(segment, offset);
            offset += segment->duration();
        }
    }
    m_imagePool->clearPool();
    stopMovieOutput();
    m_finished.store(true);
    notify(&LMVideoConverterDelegate::converterDidFinished);
}

bool LMVideoConverter::startMovieOutput()
{
    bool copyImage = m_copyImage;
    for (const auto &segment : m_movies)
        copyImage = copyImage && isCanCopyImageForMovie(*segment);
    if (!copyImage) {
        m_skipDecodeImage = false;
        m_skipDecodeAudio = false;
    }
    // Copied audio follows copied video, or the two would not line up.
    if (!m_skipDecodeImage)
        m_skipDecodeAudio = false;
    qCDebug(
        lcConvert, "copy %d %d %d", int(copyImage), int(m_skipDecodeImage), int(m_skipDecodeAudio));

    // A link stays: the file it points to is overwritten.
    if (!QFileInfo(m_path).isSymLink())
        // A link stays: the file it points to is overwritten.
        if (!QFileInfo(m_path).isSymLink())
            QFile::remove(m_path);
    m_movieOutput = std::make_unique<LMFFMovieFileOutput>();
    m_movieOutput->setPath(m_path);
    m_movieOutput->setMovieFormat(m_format);
    const auto last = m_movies.isEmpty() ? nullptr : m_movies.last()->ffmovie();
    if (m_format.width >= 1 && m_format.height >= 1 && m_hasVideo) {
        const auto videos = last ? last->videos() : QList<std::shared_ptr<LMFFMedia>>();
        if (m_skipDecodeImage && !videos.isEmpty())
            m_movieOutput->copyVideoMedia(*videos.last());
        else
            m_movieOutput->openVideo();
    }
    m_hasVideo = m_movieOutput->isVideoOpen();
    if (!m_hasVideo)
        m_skipDecodeImage = false;
    if (m_format.sample_rate > 0 && m_hasAudio) {
        const auto audios = last ? last->audios() : QList<std::shared_ptr<LMFFMedia>>();
        if (m_skipDecodeAudio && !audios.isEmpty())
            m_movieOutput->copyAudioMedia(*audios.last());
        else
            m_movieOutput->openAudio();
    }
    m_hasAudio = m_movieOutput->isAudioOpen();
    if (!m_hasAudio)
        m_skipDecodeAudio = false;
    if ((!m_hasVideo && !m_hasAudio) || !m_movieOutput->startOutput()) {
        const QString why = m_movieOutput->lastError();
        setError(why.isEmpty() ? QStringLiteral("no stream could be opened") : why);
        m_failed.store(true);
        m_hasAudio = false;
        m_hasVideo = false;
        return false;
    }
    if (m_hasVideo) {
        const LMFFVideoFormat video = m_movieOutput->outputVideoFormat();
        for (int i = 0; i < m_poolCacheCount; ++i)
            m_imagePool->appendFreeImageContext(
                LMBitmapImage::imageWithSize(QSizeF(video.width, video.height)));
    }
    m_handOver = std::make_unique<ConvertHandOver>(m_poolCacheCount, kHandOverItems);
    return true;
}

void LMVideoConverter::stopMovieOutput()
{
    if (!m_movieOutput)
        return;
    const bool written = m_movieOutput->stopOutput();
    if (!written && !m_failed.load() && !m_cancelled.load()) {
        setError(m_movieOutput->lastError());
        m_failed.store(true);
    }
    // A partial or damaged file is never left behind as if it were a result.
    if (m_cancelled.load() || m_failed.load()) {
        std::error_code ignored;
        std::filesystem::remove(m_path.toStdString(), ignored);
    }
    m_movieOutput.reset();
}

void LMVideoConverter::convertSegment(const std::shared_ptr<LMSegmentMovie> &segment,
                                      int64_t offset)
{
    auto run = std::make_shared<SegmentRun>();
    run->segment = segment;
    run->movie = segment->ffmovie();
    run->start = segment->start();
    run->duration = segment->duration();
    run->offset = offset;
    run->hasVideo = m_hasVideo;
    run->hasAudio = m_hasAudio;
    run->sourceHasAudio = run->movie->hasAudio();
    run->copyAudio = m_skipDecodeAudio && m_hasAudio;
    const bool canCopyImage = m_copyImage && isCanCopyImageForMovie(*segment);
    if (!m_hasVideo)
        run->mode = PictureMode::None;
    else if (canCopyImage && m_skipDecodeImage)
        run->mode = PictureMode::CopyPackets;
    else if (canCopyImage)
        run->mode = PictureMode::PassThrough;
    else
        run->mode = PictureMode::Composed;
    m_lastMode.store(run->mode);
    run->rate = m_movieOutput->audioInputFormat().sample_rate;
    if (!m_hasAudio)
        run->rate = std::max(run->rate, 10000);
    run->fr = m_hasVideo ? std::max(1, m_format.framerate) : 1;
    run->ft = m_hasVideo ? std::max(1, m_format.frameTime) : 1;
    run->totalSamples = int64_t(lm_ff_time_to_double(run->duration) * run->rate);
    run->fadeInSamples = int64_t(lm_ff_time_to_double(segment->fadeIn()) * run->rate);
    run->fadeOutSamples = int64_t(lm_ff_time_to_double(segment->fadeOut()) * run->rate);

    LMFFMovie &movie = *run->movie;
    movie.setDisableVideo(!m_hasVideo);
    movie.setExportMovie(true);
    movie.setCopyAudioStream(run->copyAudio);
    movie.setCopyVideoStream(run->mode == PictureMode::CopyPackets);
    movie.setCurrentTime(run->start);
    movie.flushOperation();

    run->producing.store(true);
    movie.decodeImageWaitUntilDone([this, run] { produce(run); }, false);
    for (;;) {
        if (m_cancelled.load() || m_failed.load())
            break;
        if (m_paused.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
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
        write(item, offset);
        if (m_movieOutput->hasWriteError()) {
            setError(m_movieOutput->lastError());
            m_failed.store(true);
            break;
        }
        schedule(run);
    }
    // Whatever the queue still does for this segment ends before the movie is handed back.
    run->finished.store(true);
    movie.flushOperation();
    m_handOver->clear();

    movie.setDisableVideo(false);
    movie.setExportMovie(false);
    movie.setCopyAudioStream(false);
    movie.setCopyVideoStream(false);
    movie.setCurrentTime(run->start);
    movie.flushOperation();
}

void LMVideoConverter::schedule(const std::shared_ptr<SegmentRun> &run)
{
    if (run->finished.load() || run->producing.load())
        return;
    const bool picture = run->needPicture.load();
    if (!m_handOver->hasRoom(picture))
        return;
    if (picture && run->mode == PictureMode::Composed && m_imagePool->freeCount() == 0)
        return;
    if (run->producing.exchange(true))
        return;
    run->movie->decodeImageWaitUntilDone([this, run] { produce(run); }, false);
}

void LMVideoConverter::produce(const std::shared_ptr<SegmentRun> &run)
{
    for (;;) {
        while (!run->finished.load() && !m_cancelled.load()) {
            const bool audioLeft = run->hasAudio && !run->audioDone;
            const bool videoLeft = run->hasVideo && !run->videoDone;
            const bool picture = videoLeft && !(audioLeft && run->ta <= run->tv);
            run->needPicture.store(picture);
            if (!m_handOver->hasRoom(picture))
                break;
            if (picture && run->mode == PictureMode::Composed && m_imagePool->freeCount() == 0)
                break;
            produceOne(*run);
            m_maxPendingPictures.store(
                std::max(m_maxPendingPictures.load(), m_handOver->pictureCount()));
        }
        run->producing.store(false);
        if (run->finished.load() || m_cancelled.load())
            return;
        // The writer may have made room between the check above and the flag going down.
        const bool picture = run->needPicture.load();
        if (!m_handOver->hasRoom(picture))
            return;
        if (picture && run->mode == PictureMode::Composed && m_imagePool->freeCount() == 0)
            return;
        if (run->producing.exchange(true))
            return;
    }
}

void LMVideoConverter::produceOne(SegmentRun &run)
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
        return;
    }
    if (audioLeft && (!videoLeft || run.ta <= run.tv)) {
        if (run.copyAudio) {
            const auto packet = movie.readNextAudioPacket();
            if (!packet) {
                run.audioDone = true;
                return;
            }
            auto image = LMFFImage::imageWithFFPacket(*packet);
            const int64_t t = image->get_image_display_in_movie_time() - run.start;
            if (t >= run.duration) {
                run.audioDone = true;
                return;
            }
            // Before a trimmed start the packets belong to the part cut away; at the file's start
            // they are the encoder's priming, which the first samples need.
            if (t < 0 && run.start > 0)
                return;
            image->set_movie_real_start_time(run.start - run.offset);
            run.ta = t;
            item.kind = ConvertItem::Kind::AudioPacket;
            item.time = t;
            item.packet = std::move(image);
        } else {
            item.kind = ConvertItem::Kind::Samples;
            item.samples.assign(size_t(kAudioBlock) * 2, 0.0f);
            if (run.sourceHasAudio)
                readMovie(movie,
                          item.samples.data(),
                          kAudioBlock,
                          run.a,
                          run.totalSamples,
                          run.fadeInSamples,
                          run.fadeOutSamples);
            run.a += kAudioBlock;
            run.ta = run.a * 1000000 / run.rate;
            item.time = std::min(run.ta, run.duration);
            if (run.a >= run.totalSamples)
                run.audioDone = true;
        }
        m_handOver->push(std::move(item));
        return;
    }

    switch (run.mode) {
    case PictureMode::CopyPackets: {
        std::shared_ptr<LMFFPacket> packet;
        movie.decodeImagePacketWithAction(
            [&](const std::shared_ptr<LMFFPacket> &p) { packet = p; });
        if (!packet) {
            if (++run.stall > kStallLimit)
                run.videoDone = true;
            return;
        }
        run.stall = 0;
        auto image = LMFFImage::imageWithFFPacket(*packet);
        const int64_t t = image->get_image_display_in_movie_time() - run.start;
        if (t >= run.duration) {
            run.videoDone = true;
            return;
        }
        if (!run.keySeen && !image->isKeyPacket())
            return;
        run.keySeen = true;
        image->set_movie_real_start_time(run.start - run.offset);
        run.tv = std::max(run.tv, t);
        item.kind = ConvertItem::Kind::VideoPacket;
        item.time = std::max<int64_t>(0, t);
        item.packet = std::move(image);
        m_handOver->push(std::move(item));
        return;
    }
    case PictureMode::PassThrough: {
        movie.updateCurrentMedias();
        const auto media = movie.currentVideoMedia();
        AVFrame *frame
            = media ? media->videoFrameAtTime(run.start + run.tv - media->movie_position) : nullptr;
        item.kind = ConvertItem::Kind::Picture;
        // A reference, not a copy: the decoder gives every frame buffers of its own.
        item.frame = frame && frame->data[0] ? av_frame_clone(frame) : nullptr;
        break;
    }
    case PictureMode::Composed: {
        auto bitmap = m_imagePool->getFreeImageContext();
        if (!bitmap)
            return;
        movie.decodeImageAtTimeActionWaitUntilDone(
            run.start + run.tv,
            [&](const std::shared_ptr<LMMovieImage> &image) {
                if (image)
                    composeFrameImage(*image, *bitmap);
            },
            true);
        item.kind = ConvertItem::Kind::Composed;
        item.bitmap = std::move(bitmap);
        break;
    }
    case PictureMode::None:
        run.videoDone = true;
        return;
    }
    run.v += run.ft;
    run.tv = run.v * 1000000 / run.fr;
    item.time = std::min(run.tv, run.duration);
    if (run.tv >= run.duration)
        run.videoDone = true;
    m_handOver->push(std::move(item));
}

void LMVideoConverter::write(ConvertItem &item, int64_t offset)
{
    LMFFMovieFileOutput &output = *m_movieOutput;
    switch (item.kind) {
    case ConvertItem::Kind::Picture:
        if (item.frame)
            output.writeVideoFrame(item.frame);
        else
            output.writeEmptyVideoFrame();
        break;
    case ConvertItem::Kind::Composed:
        output.writeBitmapImage(*item.bitmap);
        m_imagePool->appendFreeImageContext(item.bitmap);
        break;
    case ConvertItem::Kind::Samples:
        output.writeSample(reinterpret_cast<const uint8_t *>(item.samples.data()), kAudioBlock);
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
    m_converted.store(std::max(m_converted.load(), offset + item.time));
}

void LMVideoConverter::updateConverterStatus()
{
    const double now = nowSeconds();
    if (now - m_lastCalculateTime <= 2.0)
        return;
    const double elapsed = m_lastCalculateTime > 0 ? now - m_lastCalculateTime : 0;
    m_lastCalculateTime = now;
    const double current = progress();
    double delta = current - m_lastPercentCalculated;
    m_lastPercentCalculated = current;
    if (!(delta > 0.0001))
        delta = 0.0001;
    m_timeNeedUse.store((1.0 - current) * elapsed / delta);
}
