#include "app/AppExtention/Convert/MultiMoviePlayer.h"

#include "app/AppExtention/Convert/ClipDecoder.h"
#include "platform/MainThread.h"

void MultiMoviePlayer::playMovies(const VCMovieList &clips)
{
    DW_ASSERT_MAIN_THREAD();
    VCMovieList pieces;
    for (const auto &clip : clips) {
        if (!clip)
            continue;
        // A clip that decodes itself has no kept segments to cut: it is its own one piece.
        if (std::dynamic_pointer_cast<ClipDecoder>(clip))
            pieces.append(clip);
        else
            pieces.append(clip->validVCMovies());
    }
    m_movies = pieces;
}

int64_t MultiMoviePlayer::duration() const
{
    int64_t total = 0;
    for (const auto &movie : m_movies)
        total += movie->trimDuration();
    return total;
}

int64_t MultiMoviePlayer::currentTime() const
{
    const auto movie = vcMovie();
    if (!movie)
        return m_movieTimeOffset;
    return m_movieTimeOffset + movieCurrentTime() - movie->trimStart();
}

void MultiMoviePlayer::seek(int64_t t)
{
    DW_ASSERT_MAIN_THREAD();
    int64_t offset = 0;
    std::shared_ptr<VCMovie> chosen;
    for (const auto &movie : m_movies) {
        if (offset + movie->trimDuration() >= t) {
            chosen = movie;
            break;
        }
        offset += movie->trimDuration();
    }
    if (!chosen) {
        timeIsAfterAllMovieTime();
        return;
    }
    m_movieTimeOffset = offset;
    if (chosen != vcMovie()) {
        const bool wasPlaying = isPlay();
        pause();
        setVcMovie(chosen);
        MoviePlayer::seek(chosen->trimStart() + (t - offset));
        if (wasPlaying)
            play();
    } else {
        MoviePlayer::seek(chosen->trimStart() + (t - offset));
    }
}

bool MultiMoviePlayer::showThumbnail() const
{
    if (m_movies.size() > 1)
        return false;
    return !clipHasVideo();
}

void MultiMoviePlayer::clearPlayer()
{
    DW_ASSERT_MAIN_THREAD();
    m_movies.clear();
    m_movieTimeOffset = 0;
    MoviePlayer::clearPlayer();
}

void MultiMoviePlayer::playerIsAfterPreviewTime()
{
    seek(currentTime());
}

void MultiMoviePlayer::playerIsBeforePreviewTime() {}

void MultiMoviePlayer::timeIsAfterAllMovieTime()
{
    if (!m_movies.isEmpty())
        seek(0);
}
