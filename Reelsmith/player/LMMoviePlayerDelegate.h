#pragma once

class LMMoviePlayer;

/**
 * What a player tells the object that shows its pictures (the application's video windows).
 * The one message is optional: the default does nothing.
 *
 * Called on the main thread only.
 */
class LMMoviePlayerDelegate
{
public:
    virtual ~LMMoviePlayerDelegate() = default;

    /** A new frame is ready: player->currentMovieImage() returns it. */
    virtual void imageDidFlushInPlayer(LMMoviePlayer *player) { (void)player; }
};
