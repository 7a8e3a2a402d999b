#pragma once

#include "Platterkit/model/DVDChapterVideo.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "platform/Object.h"

#include <QObject>
#include <cstdint>
#include <mutex>

namespace Discwright {

/**
 * One chapter of a production title: the edited clip pieces that play in it, in order, and the
 * menu elements that lead to the project title it belongs to. The production disc model builder
 * makes it; the authoring library reads its duration and elements to write chapter marks and
 * jumps, the title conversion and the simulated player read its clips.
 *
 * Not archived: it lives only in the production copy of the disc model and in the preview.
 * Held by std::shared_ptr (it is an ObjectRef in its title's chapters). Both lists are swapped
 * whole under the chapter's own lock, so the builder may fill it on one thread while a production
 * or preview thread reads it.
 */
class DVDChapterVideo : public QObject, public ::DVDChapterVideo
{
    Q_OBJECT
public:
    DVDChapterVideo();
    DVDChapterVideo(VCMovieList movies, ObjectList titles);
    ~DVDChapterVideo() override;

    static std::shared_ptr<DVDChapterVideo> chapterWithMovies(const VCMovieList &movies,
                                                              const ObjectList &titles = {});

    // The edited clips that play in this chapter, in order.
    VCMovieList movies() const;
    void setMovies(const VCMovieList &movies);
    // The menu elements (DVDMenuItem) whose jump leads to this chapter's project title.
    ObjectList titles() const override;
    void setTitles(const ObjectList &titles);

    // Engine time: the sum of the clips' trimDuration (a null clip counts 0); 0 for no clips.
    static int64_t durationForVcMovies(const VCMovieList &movies);
    // Seconds: durationForVcMovies of movies.
    double duration() const override;

private:
    mutable std::mutex m_lock;
    VCMovieList m_movies;
    ObjectList m_titles;
};

using DVDChapterVideoRef = std::shared_ptr<DVDChapterVideo>;
using DVDChapterVideoList = QList<DVDChapterVideoRef>;

} // namespace Discwright
