#pragma once

#include "Platterkit/model/DVDTitleVideo.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/production/DVDChapterVideo.h"
#include "platform/Object.h"

#include <QObject>
#include <mutex>

namespace Discwright {

/**
 * One title of the production copy of the disc model: its chapters in play order, and whether it
 * is the warning video that plays before the first menu. The authoring library reads it through
 * the DVDTitleVideo protocol; the title conversion and the simulated player play its clips
 * (vcmovies, chapter after chapter).
 *
 * Not archived. Held by std::shared_ptr (an ObjectRef in the disc model's titles). The chapter
 * list is swapped whole under the title's own lock; any thread may read it.
 */
class DVDTitleVideo : public QObject, public ::DVDTitleVideo
{
    Q_OBJECT
public:
    DVDTitleVideo();
    explicit DVDTitleVideo(DVDChapterVideoList chapters, bool isWarningVideo = false);
    ~DVDTitleVideo() override;

    static std::shared_ptr<DVDTitleVideo> titleWithChapters(const DVDChapterVideoList &chapters,
                                                            bool isWarningVideo = false);

    // The chapters in play order, as the authoring library sees them.
    ObjectList chapters() const override;
    DVDChapterVideoList chapterVideos() const;
    void setChapters(const DVDChapterVideoList &chapters);
    void appendChapter(const DVDChapterVideoRef &chapter);

    bool isWarningVideo() const override;
    void setIsWarningVideo(bool warning);

    // Every chapter's movies, chapter after chapter, in order; empty for no chapters.
    static VCMovieList vcmoviesForChapters(const DVDChapterVideoList &chapters);
    // The clips the title conversion plays: vcmoviesForChapters of the chapters with the pieces
    // of one source that meet at a chapter point joined (MediaData::joinedPieces); a subclass may
    // flatten them differently.
    virtual VCMovieList vcmovies() const;
    // Seconds: the sum of the chapters' durations (each converted on its own).
    double duration() const override;

private:
    mutable std::mutex m_lock;
    DVDChapterVideoList m_chapters;
    bool m_isWarningVideo = false;
};

using DVDTitleVideoRef = std::shared_ptr<DVDTitleVideo>;

} // namespace Discwright
