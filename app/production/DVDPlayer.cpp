#include "app/production/DVDPlayer.h"

#include "app/production/DVDChapterVideo.h"
#include "app/production/DVDMenuVideo.h"
#include "app/production/DVDMenuVideoClip.h"
#include "app/production/DVDTitleVideo.h"
#include "platform/MainThread.h"

using Discwright::DVDPlayerNavigation;

DVDPlayer::DVDPlayer()
{
    // A target ends where its last clip's window ends, so the player always plays in preview
    // mode: outside it the engine would run each clip on to its movie's end and start it over.
    setIsPreview(true);
}

DVDPlayer::~DVDPlayer() = default;

void DVDPlayer::clearPlayer()
{
    DW_ASSERT_MAIN_THREAD();
    m_navigation.clear();
    m_stoppedAtEnd = false;
    MultiMoviePlayer::clearPlayer();
}

VCMovieList DVDPlayer::clipsForStart(const DVDPlayerNavigation::Start &start) const
{
    VCMovieList clips;
    if (!start.chapters.isEmpty()) {
        Discwright::DVDChapterVideoList chapters;
        for (const ObjectRef &chapter : start.chapters) {
            if (auto video = platform::objectCast<Discwright::DVDChapterVideo>(chapter))
                chapters.append(video);
        }
        clips = Discwright::DVDTitleVideo::vcmoviesForChapters(chapters);
    } else if (const DVDMenuRef menu = platform::objectCast<DVDMenu>(start.target)) {
        for (const DVDMenuVideoRef &video : DVDMenuExtention::vcmovies(menu))
            clips.append(std::make_shared<Discwright::DVDMenuVideoClip>(video));
    }
    clips.removeAll(nullptr);
    if (clips.isEmpty()) {
        VCMovieRef placeholder = VCMovie::movieWithEmptyFFMovie();
        placeholder->setTrimStop(kPlaceholderUs);
        clips.append(placeholder);
    }
    return clips;
}

void DVDPlayer::playDVDItem(const ObjectRef &item)
{
    DW_ASSERT_MAIN_THREAD();
    pause();
    m_stoppedAtEnd = false;
    const DVDPlayerNavigation::Start start = m_navigation.playDVDItem(item);
    playMovies(clipsForStart(start));
    seek(start.startUs);
    play();
}

void DVDPlayer::clickPoint(QPointF fraction)
{
    if (const DVDMenuItemRef item = findItemAtPoint(fraction))
        playDVDItem(item);
}

void DVDPlayer::playMenu()
{
    playDVDItem(firstMenu());
}

void DVDPlayer::playPrevious()
{
    if (const ObjectRef chapter = currentPlayItemRelative(-1))
        playDVDItem(chapter);
}

void DVDPlayer::playNext()
{
    if (const ObjectRef chapter = currentPlayItemRelative(1))
        playDVDItem(chapter);
}

void DVDPlayer::updatePlayerPlaySegment()
{
    MultiMoviePlayer::updatePlayerPlaySegment();
    if (const auto decoder = clipDecoder())
        decoder->updatePlayerPlaySegment();
}

void DVDPlayer::timeIsAfterAllMovieTime()
{
    DW_ASSERT_MAIN_THREAD();
    const DVDPlayerNavigation::End end = m_navigation.targetDidEnd();
    if (end.action == DVDPlayerNavigation::End::Action::Stop) {
        pause();
        m_stoppedAtEnd = true;
        return;
    }
    playDVDItem(end.item);
}
