#include "app/AppExtention/Convert/MainMoviePlayer.h"

bool MainMoviePlayer::isPlay() const
{
    return MultiMoviePlayer::isPlay() && !isAttachedEditWindow();
}
