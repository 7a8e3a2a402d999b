#include "app/production/SegmentsMovie.h"

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/imaging/Renderer.h"
#include "Reelsmith/movie/LMFFMovie.h"

#include <algorithm>

namespace {

// The strip's picture of a decoded frame: the frame with its edits, at the clip's output size or
// scaled down to fit within, as a straight-alpha RGBA image. Null without a frame.
QImage stripPicture(const LMMovieImage &frame, const QSize &within)
{
    Reelsmith::imaging::Image edited = frame.currentEffectImage();
    QSizeF size = frame.outputSize();
    if (edited.isNull() || size.width() < 1 || size.height() < 1)
        return QImage();
    if (within.width() >= 1 && within.height() >= 1) {
        const double scale
            = std::min({1.0, within.width() / size.width(), within.height() / size.height()});
        if (scale < 1.0) {
            edited = edited.scaled(scale, scale);
            size
                = QSizeF(std::max(1.0, size.width() * scale), std::max(1.0, size.height() * scale));
        }
    }
    return Reelsmith::imaging::renderToImage(
               edited, QRect(0, 0, qRound(size.width()), qRound(size.height())))
        .convertToFormat(QImage::Format_RGBA8888);
}

// Title records make their strips through the records' interface.
const bool makerInstalled = [] {
    ClipStrip::setMaker([](const VCMovieList &movies) -> std::shared_ptr<ClipStrip> {
        return SegmentsMovie::movieWithMovies(movies);
    });
    return true;
}();

} // namespace

std::shared_ptr<SegmentsMovie> SegmentsMovie::movieWithMovies(const VCMovieList &movies)
{
    return std::make_shared<SegmentsMovie>(movies);
}

SegmentsMovie::SegmentsMovie(VCMovieList movies)
    : m_vcmovies(std::move(movies))
{}

int64_t SegmentsMovie::duration() const
{
    int64_t total = 0;
    for (const auto &movie : m_vcmovies)
        total += movie->trimDuration();
    return total;
}

VCMovieRef SegmentsMovie::get_cur_movie_at_time(int64_t t, int64_t *baseTime) const
{
    int64_t start = 0;
    for (const auto &movie : m_vcmovies) {
        if (start + movie->trimDuration() > t) {
            if (baseTime)
                *baseTime = start;
            return movie;
        }
        start += movie->trimDuration();
    }
    if (baseTime)
        *baseTime = start;
    return nullptr;
}

QImage SegmentsMovie::ciImageAtTime(int64_t t, const QSize &within)
{
    if (m_vcmovies.isEmpty())
        return QImage();
    const int64_t previous = m_lastTime;
    m_lastTime = t;
    int64_t local = t - m_movieBaseTime;
    const bool keep
        = t > previous && m_curMovie && local >= 0 && local < m_curMovie->trimDuration();
    if (!keep) {
        int64_t base = t;
        const VCMovieRef found = get_cur_movie_at_time(t, &base);
        // Past the end (or before the start) no clip holds t: the last frame decoded stays.
        if (!found)
            return m_frameImage ? stripPicture(*m_frameImage, within) : QImage();
        m_curMovie = found;
        m_movieBaseTime = base;
        local = t - base;
        if (const auto engine = m_curMovie->movie()) {
            engine->setCurrentTime(local + m_curMovie->trimStart());
            ++m_seeks;
        }
    }
    if (const auto engine = m_curMovie->movie()) {
        engine->decodeImageAtTimeActionWaitUntilDone(
            local + m_curMovie->trimStart(),
            [this](const std::shared_ptr<LMMovieImage> &image) { m_frameImage = image; },
            true);
    }
    return m_frameImage ? stripPicture(*m_frameImage, within) : QImage();
}
