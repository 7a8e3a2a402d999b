#include "app/AppExtention/Convert/VCVideoConverter.h"

#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/MovieDecoderCopy.h"
#include "app/AppExtention/Convert/VCVideoConverterDelegate.h"
#include "platform/MainThread.h"

#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <typeinfo>

namespace Discwright {
Q_LOGGING_CATEGORY(lcClipConvert, "discwright.app.convert", QtWarningMsg)
} // namespace Discwright

namespace {

// A clip of a subclass (a menu page video) draws its own pictures rather than decoding its
// engine movie's: it is always drawn through the clip, never passed through or copied, and keeps
// its movie.
bool drawsOwnPicturesOf(const LMSegmentMovie &segment)
{
    return typeid(segment) != typeid(VCMovie);
}

// Every segment of the engine's run is a clip: the adapter hands it nothing else.
VCMovie &clipOf(LMSegmentMovie &segment)
{
    return static_cast<VCMovie &>(segment);
}

const VCMovie &clipOf(const LMSegmentMovie &segment)
{
    return static_cast<const VCMovie &>(segment);
}

} // namespace

// The engine's converter over clips: the segment seam speaks to the clip rather than to its
// engine movie, so that a clip drawing its own pictures moves, flushes and draws them itself.
class VCVideoConverter::Engine : public LMVideoConverter
{
public:
    Engine()
    {
        // The owner counts the places of its list, empty pieces included.
        m_indexCountsEmptySegments = true;
        setPool_cache_count(kImagePoolSize);
        setPlacement(Placement::BesideThenRename);
    }

    // Set on the owner's thread before the run starts; the run and the queued messages read them.
    std::weak_ptr<VCVideoConverter> owner;
    VCVideoConverterDelegate *delegate = nullptr;
    QPointer<QObject> receiver;
    bool ownDecoders = true;

protected:
    SegmentList segmentsOf(const SegmentList &movies) override
    {
        SegmentList segments;
        m_segmentClips.clear();
        for (const auto &movie : movies) {
            const auto clip = std::static_pointer_cast<VCMovie>(movie);
            if (!clip)
                continue;
            for (const auto &piece : clip->validVCMovies()) {
                segments.append(piece);
                m_segmentClips.append(clip);
            }
        }
        return segments;
    }

    // Decoders of the run's own, one copy per distinct engine movie (the clip's subtitle text
    // travels with it).
    void prepareRunSegments(SegmentList &segments) override
    {
        if (!ownDecoders)
            return;
        QHash<LMFFMovie *, std::shared_ptr<LMFFMovie>> copies;
        for (qsizetype i = 0; i < segments.size() && i < m_segmentClips.size(); ++i) {
            SegmentRef &segment = segments[i];
            const auto movie = segment->ffmovie();
            if (!movie || drawsOwnPicturesOf(*segment) || isCanceled())
                continue;
            auto found = copies.find(movie.get());
            if (found == copies.end()) {
                const VCMovie &clip = *m_segmentClips.at(i);
                found = copies.insert(
                    movie.get(),
                    Discwright::movieWithOwnDecoders(
                        *movie, clip.subtitleContent(), QFileInfo(clip.subtitlePath()).suffix()));
            }
            // Without a copy (no medias, or a subtitle it cannot show) the segment keeps its movie.
            if (!found.value())
                continue;
            auto own = std::make_shared<VCMovie>(found.value());
            own->setTrimStart(segment->start());
            own->setTrimStop(segment->stop());
            own->setFadeIn(segment->fadeIn());
            own->setFadeOut(segment->fadeOut());
            own->setAudioFades(segment->audioFades());
            segment = own;
        }
    }

    bool drawsOwnPictures(const LMSegmentMovie &segment) const override
    {
        return drawsOwnPicturesOf(segment);
    }
    bool segmentHasAudio(const LMSegmentMovie &segment) const override
    {
        return clipOf(segment).hasAudio();
    }
    bool segmentHasVideo(const LMSegmentMovie &segment) const override
    {
        return clipOf(segment).hasVideo();
    }
    void prepareSegment(LMSegmentMovie &segment) override
    {
        clipOf(segment).updateMovieWatermarkImageIfNeeded();
    }
    void setSegmentExport(LMSegmentMovie &segment, bool exportMovie) override
    {
        clipOf(segment).setExportMovie(exportMovie);
    }
    void seekSegment(LMSegmentMovie &segment, int64_t time) override
    {
        clipOf(segment).setCurrentTime(time);
    }
    void flushSegment(LMSegmentMovie &segment) override { clipOf(segment).flushOperation(); }
    void decodeSegmentImage(LMSegmentMovie &segment,
                            int64_t time,
                            const MovieImageAction &action,
                            bool wait) override
    {
        clipOf(segment).decodeImageAtTimeActionWaitUntilDone(time, action, wait);
    }

    void notify(Message message) override
    {
        QObject *to = receiver.data();
        VCVideoConverterDelegate *target = delegate;
        if (!to || !target)
            return;
        platform::postToMainThread(to, [weak = owner, target, message] {
            const auto self = weak.lock();
            if (!self)
                return;
            switch (message) {
            case Message::Finished:
                target->converterDidFinished(self.get());
                break;
            case Message::Paused:
                target->converterDidPaused(self.get());
                break;
            case Message::Resumed:
                target->converterDidResume(self.get());
                break;
            }
        });
    }

    // The adapter lives as long as its run, so the finished message still finds it.
    std::shared_ptr<void> runKeepAlive() override { return owner.lock(); }

private:
    // The clip each segment was cut from (its subtitle goes with the decoder copy).
    VCMovieList m_segmentClips;
};

VCVideoConverter::VCVideoConverter()
    : m_engine(std::make_shared<Engine>())
{}

VCVideoConverter::~VCVideoConverter() = default;

void VCVideoConverter::setMovies(const VCMovieList &movies)
{
    m_movies = movies;
    LMVideoConverter::SegmentList segments;
    for (const auto &movie : movies)
        segments.append(movie);
    m_engine->setMovies(segments);
}

void VCVideoConverter::setDelegate(VCVideoConverterDelegate *delegate, QObject *receiver)
{
    m_engine->owner = weak_from_this();
    m_engine->delegate = delegate;
    m_engine->receiver = receiver;
}

QString VCVideoConverter::path() const
{
    return m_engine->path();
}

void VCVideoConverter::setPath(const QString &path)
{
    m_engine->setPath(path);
}

LMFFMovieFileOutputFormat VCVideoConverter::movieOutputFormat() const
{
    return m_engine->movieOutputFormat();
}

void VCVideoConverter::setMovieOutputFormat(const LMFFMovieFileOutputFormat &format)
{
    m_engine->setMovieOutputFormat(format);
}

VCMovieList VCVideoConverter::validMovies() const
{
    return VCMovie::moviesFromTrimMovies(m_movies);
}

bool VCVideoConverter::usesOwnDecoders() const
{
    return m_engine->ownDecoders;
}

void VCVideoConverter::setUsesOwnDecoders(bool on)
{
    m_engine->ownDecoders = on;
}

bool VCVideoConverter::copyImage() const
{
    return m_engine->copyImage();
}

void VCVideoConverter::setCopyImage(bool on)
{
    m_engine->setCopyImage(on);
}

bool VCVideoConverter::skipDecodeImage() const
{
    return m_engine->skipDecodeImage();
}

bool VCVideoConverter::skipDecodeAudio() const
{
    return m_engine->skipDecodeAudio();
}

void VCVideoConverter::updateConverterSpeedFast(bool video, bool audio)
{
    m_engine->updateConverterSpeedFast(video, audio);
}

void VCVideoConverter::updateConverterContent()
{
    m_engine->updateConverterContent();
}

void VCVideoConverter::updateConverterSpeedMode()
{
    m_engine->updateConverterSpeedMode();
}

bool VCVideoConverter::acceptCodecCopy(const QString &key)
{
    return LMVideoConverter::acceptCodecCopy(key);
}

bool VCVideoConverter::can_copy_codec_id(int32_t codecId, bool isVideo) const
{
    return m_engine->can_copy_codec_id(codecId, isVideo);
}

bool VCVideoConverter::isNoneEditWithMovie(const LMFFMovie &movie)
{
    return LMVideoConverter::isNoneEditMovie(movie);
}

bool VCVideoConverter::isCanCopyImageForMovie(const VCMovie &segment)
{
    if (drawsOwnPicturesOf(segment))
        return false;
    const auto movie = segment.movie();
    return movie && LMVideoConverter::canPassThroughMovie(*movie);
}

bool VCVideoConverter::hasAudio() const
{
    return m_engine->hasAudio();
}

bool VCVideoConverter::hasVideo() const
{
    return m_engine->hasVideo();
}

int64_t VCVideoConverter::duration() const
{
    return m_engine->duration();
}

void VCVideoConverter::startConvert()
{
    // The run keeps this adapter alive through the engine (runKeepAlive).
    if (m_engine->owner.expired())
        m_engine->owner = weak_from_this();
    m_engine->startConvert();
}

void VCVideoConverter::pause()
{
    m_engine->pause();
}

void VCVideoConverter::resume()
{
    m_engine->resume();
}

void VCVideoConverter::cancel()
{
    m_engine->cancel();
}

void VCVideoConverter::waitUntilFinished()
{
    m_engine->waitUntilFinished();
}

bool VCVideoConverter::waitUntilFinished(std::chrono::milliseconds timeout)
{
    return m_engine->waitUntilFinished(timeout);
}

int64_t VCVideoConverter::statusType() const
{
    return m_engine->statusType();
}

bool VCVideoConverter::isFailed() const
{
    return m_engine->isFailed();
}

QString VCVideoConverter::lastError() const
{
    return m_engine->lastError();
}

double VCVideoConverter::progress() const
{
    return m_engine->progress();
}

int64_t VCVideoConverter::convert_frames() const
{
    return m_engine->convert_frames();
}

double VCVideoConverter::timeNeedUse() const
{
    return m_engine->timeNeedUse();
}

int64_t VCVideoConverter::currentMovieIndex() const
{
    return m_engine->currentMovieIndex();
}

VCVideoConverter::PictureMode VCVideoConverter::lastPictureMode() const
{
    return m_engine->lastPictureMode();
}

int VCVideoConverter::maxPicturesAhead() const
{
    return m_engine->maxPendingPictures();
}

bool VCVideoConverter::readMovie(LMFFMovie &movie,
                                 float *buffer,
                                 int n,
                                 int channels,
                                 int64_t hasRead,
                                 int64_t total,
                                 int64_t fadeIn,
                                 int64_t fadeOut)
{
    return LMVideoConverter::readMovie(movie, buffer, n, channels, hasRead, total, fadeIn, fadeOut);
}

double VCVideoConverter::fadeGain(int64_t hasRead, int64_t total, int64_t fadeIn, int64_t fadeOut)
{
    return LMVideoConverter::fadeGain(hasRead, total, fadeIn, fadeOut);
}
