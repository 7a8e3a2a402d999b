#pragma once

#include "app/AppExtention/Convert/ClipStrip.h"

#include <QImage>
#include <cstdint>
#include <memory>

class LMMovieImage;

/**
 * A strip of clips read frame by frame: the moving picture of a title button on a menu page. Its
 * one owner is the title record, which keeps one strip per title and asks it for the frame at a
 * time on the thread that draws the page (under the title's lock); the decoding itself runs on
 * each clip movie's decode queue while the caller waits.
 */
class SegmentsMovie : public ClipStrip
{
public:
    static std::shared_ptr<SegmentsMovie> movieWithMovies(const VCMovieList &movies);
    explicit SegmentsMovie(VCMovieList movies);

    VCMovieList vcmovies() const { return m_vcmovies; }
    // The sum of the clips' trimDuration.
    int64_t duration() const override;
    // The first clip whose stretch [s, s + trimDuration) holds t (a time at exactly a clip's end
    // belongs to the next); *baseTime gets s, or the whole length when no clip holds t.
    VCMovieRef get_cur_movie_at_time(int64_t t, int64_t *baseTime = nullptr) const;
    // The picture at t on the strip, no larger than within when it is given. Reading forward
    // inside one clip decodes in sequence without seeking; a time past the end answers the last
    // frame decoded; an empty strip answers null.
    using ClipStrip::ciImageAtTime;
    QImage ciImageAtTime(int64_t t, const QSize &within) override;

    VCMovieRef cur_movie() const { return m_curMovie; }
    int64_t movie_base_time() const { return m_movieBaseTime; }
    // How many times the strip moved a clip's movie (the tests read it).
    int seekCount() const { return m_seeks; }

private:
    VCMovieList m_vcmovies;
    VCMovieRef m_curMovie;
    int64_t m_movieBaseTime = 0;
    int64_t m_lastTime = 0;
    std::shared_ptr<LMMovieImage> m_frameImage;
    int m_seeks = 0;
};
