#include "app/AppExtention/Convert/VideoEditPlayer.h"

#include "platform/MainThread.h"

void VideoEditPlayer::seek(int64_t t)
{
    MoviePlayer::seek(m_oldMovieTrimStart + t);
}

int64_t VideoEditPlayer::currentTime() const
{
    return movieCurrentTime() - m_oldMovieTrimStart;
}

int64_t VideoEditPlayer::duration() const
{
    return m_oldMovieTrimStop - m_oldMovieTrimStart;
}

void VideoEditPlayer::playerTimeIsToEnd()
{
    seek(0);
}

void VideoEditPlayer::playerIsAfterPreviewTime()
{
    const auto movie = vcMovie();
    if (!movie)
        return;
    const MovieTrimItemList trims = movie->validTrimArray();
    seek(trims.first()->startTime());
}

void VideoEditPlayer::playerIsBeforePreviewTime()
{
    if (m_currentTrim)
        seek(m_currentTrim->startTime());
}

void VideoEditPlayer::updatePlayerPlaySegment()
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto movie = vcMovie();
    if (!movie)
        return;
    const int64_t now = movieCurrentTime();
    const int64_t window = m_oldMovieTrimStart;
    // validTrimArray is never empty: without kept segments it holds one over the whole clip.
    const MovieTrimItemList trims = movie->validTrimArray();
    m_currentTrim = trims.last();
    for (const auto &trim : trims) {
        if (now <= trim->stopTime() + window) {
            m_currentTrim = trim;
            break;
        }
    }
    if (!isPreview()) {
        if (now > m_oldMovieTrimStop)
            playerTimeIsToEnd();
        return;
    }
    if (now > m_currentTrim->stopTime() + window)
        playerIsAfterPreviewTime();
    else if (m_currentTrim->startTime() + window - kTrimLeadUs > now)
        playerIsBeforePreviewTime();
}
