#include "Reelsmith/segment/LMSegmentMovie.h"

#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"

#include <QFileInfo>
#include <QSizeF>
#include <cmath>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcSegment, "discwright.reelsmith.segment", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcSegment;

std::shared_ptr<LMSegmentMovie> LMSegmentMovie::movieWithPath(const QString &path)
{
    LMFFMovie::initialize();
    return movieWithSource(LMMediaSource::mediaWithPath(path));
}

std::shared_ptr<LMSegmentMovie>
LMSegmentMovie::movieWithSource(const std::shared_ptr<LMMediaSource> &source)
{
    return movieWithSource(source, SegmentMaker());
}

std::shared_ptr<LMSegmentMovie>
LMSegmentMovie::movieWithSource(const std::shared_ptr<LMMediaSource> &source,
                                const SegmentMaker &make)
{
    if (!source)
        return nullptr;
    if (QFileInfo(source->path()).suffix().compare(u"vob", Qt::CaseInsensitive) == 0) {
        qCInfo(lcSegment) << "ignore vob";
        return nullptr;
    }
    auto segment = movieWithMedias(source->createMedias(), make);
    if (segment)
        segment->updateDVDVideoSize();
    return segment;
}

std::shared_ptr<LMSegmentMovie>
LMSegmentMovie::movieWithMedias(const QList<std::shared_ptr<LMFFMedia>> &medias)
{
    return movieWithMedias(medias, SegmentMaker());
}

std::shared_ptr<LMSegmentMovie>
LMSegmentMovie::movieWithMedias(const QList<std::shared_ptr<LMFFMedia>> &medias,
                                const SegmentMaker &make)
{
    auto movie = std::make_shared<LMFFMovie>();
    movie->openMedias(medias);
    if (!movie->hasAudio() && !movie->hasVideo())
        return nullptr;
    const int rotation = movie->default_movie_rotate();
    if ((rotation / 90) % 2 != 0) {
        const QSizeF size = movie->outputVideoSize();
        movie->setOutputVideoSize(QSizeF(size.height(), size.width()));
    }
    auto segment = make ? make(std::move(movie)) : movieWithFFmovie(std::move(movie));
    if (!segment)
        return nullptr;
    segment->m_rotation = rotation;
    if (const auto own = segment->ffmovie())
        own->setRotate(float(rotation));
    return segment;
}

std::shared_ptr<LMSegmentMovie> LMSegmentMovie::movieWithFFmovie(std::shared_ptr<LMFFMovie> movie)
{
    return std::make_shared<LMSegmentMovie>(std::move(movie));
}

LMSegmentMovie::LMSegmentMovie(std::shared_ptr<LMFFMovie> movie)
    : m_movie(std::move(movie))
    , m_stop(m_movie ? m_movie->duration() : 0)
{}

LMSegmentMovie::~LMSegmentMovie() = default;

std::shared_ptr<LMFFMovie> LMSegmentMovie::ffmovie() const
{
    std::lock_guard guard(m_lock);
    return m_movie;
}

void LMSegmentMovie::updateFFMovie(std::shared_ptr<LMFFMovie> movie)
{
    std::lock_guard guard(m_lock);
    m_movie = std::move(movie);
}

#define DW_SEGMENT_PROPERTY(type, getter, setter, member)                                          \
    type LMSegmentMovie::getter() const                                                            \
    {                                                                                              \
        std::lock_guard guard(m_lock);                                                             \
        return member;                                                                             \
    }                                                                                              \
    void LMSegmentMovie::setter(type value)                                                        \
    {                                                                                              \
        std::lock_guard guard(m_lock);                                                             \
        member = value;                                                                            \
    }

DW_SEGMENT_PROPERTY(int64_t, start, setStart, m_start)
DW_SEGMENT_PROPERTY(int64_t, stop, setStop, m_stop)
DW_SEGMENT_PROPERTY(int64_t, fadeIn, setFadeIn, m_fadeIn)
DW_SEGMENT_PROPERTY(int64_t, fadeOut, setFadeOut, m_fadeOut)
DW_SEGMENT_PROPERTY(int32_t, player_id, setPlayer_id, m_playerId)
#undef DW_SEGMENT_PROPERTY

QList<LMSegmentMovieFade> LMSegmentMovie::audioFades() const
{
    std::lock_guard guard(m_lock);
    return m_audioFades;
}

void LMSegmentMovie::setAudioFades(const QList<LMSegmentMovieFade> &fades)
{
    std::lock_guard guard(m_lock);
    m_audioFades = fades;
}

int64_t LMSegmentMovie::duration() const
{
    std::lock_guard guard(m_lock);
    return std::max<int64_t>(0, m_stop - m_start);
}

int32_t LMSegmentMovie::zoomType() const
{
    std::lock_guard guard(m_lock);
    return m_zoomType;
}

int LMSegmentMovie::rotation() const
{
    std::lock_guard guard(m_lock);
    return m_rotation;
}

std::shared_ptr<LMMediaSource> LMSegmentMovie::lastVideoSource() const
{
    const auto movie = ffmovie();
    if (!movie)
        return nullptr;
    const auto videos = movie->videos();
    return videos.isEmpty() ? nullptr : videos.last()->source();
}

int32_t LMSegmentMovie::defaultZoomType() const
{
    const auto source = lastVideoSource();
    if (!source || !source->isDVD())
        return kZoomDefault;
    return source->dvdDisplayAspectRatio() == u"4:3" ? kZoom4x3 : kZoom16x9;
}

void LMSegmentMovie::updateDVDVideoSize()
{
    const auto source = lastVideoSource();
    if (!source || !source->isDVD())
        return;
    const int32_t zoom = defaultZoomType();
    {
        std::lock_guard guard(m_lock);
        m_zoomType = zoom;
    }
    // 852, not 854: the width of a 16:9 picture at 480 lines, kept to a multiple of 4.
    const auto movie = ffmovie();
    movie->setOutputVideoSize(zoom == kZoom4x3 ? QSizeF(640, 480) : QSizeF(852, 480));
    movie->setZoomType(zoom);
}

QList<LMSegmentMovieFade> LMSegmentMovie::getEffectedFades() const
{
    std::lock_guard guard(m_lock);
    const int64_t duration = std::max<int64_t>(0, m_stop - m_start);
    const int64_t total = m_fadeIn + m_fadeOut;
    double scale = 1.0;
    if (total > 0 && duration < total)
        scale = double(duration) / double(total);
    QList<LMSegmentMovieFade> fades;
    if (m_fadeIn > 0)
        fades.append(LMSegmentMovieFade(m_start, m_start + int64_t(m_fadeIn * scale), 0.0, 1.0));
    if (m_fadeOut >= 1)
        fades.append(LMSegmentMovieFade(m_stop - int64_t(m_fadeOut * scale), m_stop, 1.0, 0.0));
    fades.append(m_audioFades);
    return fades;
}

float LMSegmentMovie::audioVolumeAtTime(int64_t t) const
{
    float gain = 1.0f;
    for (const auto &fade : getEffectedFades())
        gain *= fade.audioVolumeAtTime(t);
    return gain;
}

void LMSegmentMovie::processAudio(float *samples, int64_t size, int64_t time) const
{
    if (!samples || size <= 0)
        return;
    const float gain = audioVolumeAtTime(time);
    if (std::fabs(gain - 1.0f) <= 0.01f)
        return;
    const int64_t count = size / int64_t(sizeof(float));
    for (int64_t i = 0; i < count; ++i)
        samples[i] *= gain;
}
