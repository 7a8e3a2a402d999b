#include "app/production/DVDChapterVideo.h"

#include "Reelsmith/LMFunctions.h"

namespace Discwright {

DVDChapterVideo::DVDChapterVideo() = default;

DVDChapterVideo::DVDChapterVideo(VCMovieList movies, ObjectList titles)
    : m_movies(std::move(movies))
    , m_titles(std::move(titles))
{}

DVDChapterVideo::~DVDChapterVideo() = default;

std::shared_ptr<DVDChapterVideo> DVDChapterVideo::chapterWithMovies(const VCMovieList &movies,
                                                                    const ObjectList &titles)
{
    return std::make_shared<DVDChapterVideo>(movies, titles);
}

VCMovieList DVDChapterVideo::movies() const
{
    std::lock_guard guard(m_lock);
    return m_movies;
}

void DVDChapterVideo::setMovies(const VCMovieList &movies)
{
    std::lock_guard guard(m_lock);
    m_movies = movies;
}

ObjectList DVDChapterVideo::titles() const
{
    std::lock_guard guard(m_lock);
    return m_titles;
}

void DVDChapterVideo::setTitles(const ObjectList &titles)
{
    std::lock_guard guard(m_lock);
    m_titles = titles;
}

int64_t DVDChapterVideo::durationForVcMovies(const VCMovieList &movies)
{
    int64_t total = 0;
    for (const VCMovieRef &movie : movies) {
        if (movie)
            total += movie->trimDuration();
    }
    return total;
}

double DVDChapterVideo::duration() const
{
    return lm_ff_time_to_double(durationForVcMovies(movies()));
}

} // namespace Discwright
