#include "app/production/DVDTitleVideo.h"

#include "app/AppExtention/Convert/MediaData.h"

namespace Discwright {

DVDTitleVideo::DVDTitleVideo() = default;

DVDTitleVideo::DVDTitleVideo(DVDChapterVideoList chapters, bool isWarningVideo)
    : m_chapters(std::move(chapters))
    , m_isWarningVideo(isWarningVideo)
{}

DVDTitleVideo::~DVDTitleVideo() = default;

std::shared_ptr<DVDTitleVideo> DVDTitleVideo::titleWithChapters(const DVDChapterVideoList &chapters,
                                                                bool isWarningVideo)
{
    return std::make_shared<DVDTitleVideo>(chapters, isWarningVideo);
}

ObjectList DVDTitleVideo::chapters() const
{
    ObjectList out;
    for (const DVDChapterVideoRef &chapter : chapterVideos())
        out.append(chapter);
    return out;
}

DVDChapterVideoList DVDTitleVideo::chapterVideos() const
{
    std::lock_guard guard(m_lock);
    return m_chapters;
}

void DVDTitleVideo::setChapters(const DVDChapterVideoList &chapters)
{
    std::lock_guard guard(m_lock);
    m_chapters = chapters;
}

void DVDTitleVideo::appendChapter(const DVDChapterVideoRef &chapter)
{
    if (!chapter)
        return;
    std::lock_guard guard(m_lock);
    m_chapters.append(chapter);
}

bool DVDTitleVideo::isWarningVideo() const
{
    std::lock_guard guard(m_lock);
    return m_isWarningVideo;
}

void DVDTitleVideo::setIsWarningVideo(bool warning)
{
    std::lock_guard guard(m_lock);
    m_isWarningVideo = warning;
}

VCMovieList DVDTitleVideo::vcmoviesForChapters(const DVDChapterVideoList &chapters)
{
    VCMovieList out;
    for (const DVDChapterVideoRef &chapter : chapters) {
        if (chapter)
            out.append(chapter->movies());
    }
    return out;
}

VCMovieList DVDTitleVideo::vcmovies() const
{
    // A chapter point is only a mark in the title; the sound must not break there.
    return MediaData::joinedPieces(vcmoviesForChapters(chapterVideos()));
}

double DVDTitleVideo::duration() const
{
    double seconds = 0.0;
    for (const DVDChapterVideoRef &chapter : chapterVideos()) {
        if (chapter)
            seconds += chapter->duration();
    }
    return seconds;
}

} // namespace Discwright
