#pragma once

#include "app/AppExtention/Convert/MultiMoviePlayer.h"

/**
 * The chapter editor's player: a MultiMoviePlayer that answers isPlay NO while an edit window is
 * attached to it, so that the editor's own playback controls stay idle meanwhile. This class
 * attaches no window; a subclass that does answers isAttachedEditWindow.
 *
 * Owned by the chapter editor. Main thread only.
 */
class MainMoviePlayer : public MultiMoviePlayer
{
public:
    MainMoviePlayer() = default;

    /** The inherited answer, but NO while isAttachedEditWindow. */
    bool isPlay() const override;
    /** NO in this class. */
    virtual bool isAttachedEditWindow() const { return false; }
};
