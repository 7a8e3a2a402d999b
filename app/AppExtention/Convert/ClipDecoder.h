#pragma once

#include "Reelsmith/imaging/Image.h"

#include <cstdint>
#include <functional>

/**
 * The decoding side of a clip that is its own decoder: a clip with no media file behind it (a
 * menu page drawn at any time, its clock carried by a silent movie) that the players must still
 * play like any edited clip. A VCMovie that also derives from this interface is played through it
 * instead of through its engine movie: the players take its clock, play, pause and frames from
 * here, and its window from the clip's trimStart and trimStop as usual. Such a clip stands for
 * itself in a player's list (it is not cut into pieces).
 *
 * The players call it on the main thread. decodeCurrentImageWithAction may call its action at
 * once on the calling thread or later on another one.
 */
class ClipDecoder
{
public:
    /** Takes the frame's picture, the clip's edits applied; a null image when there is none. */
    using FrameAction = std::function<void(const Reelsmith::imaging::Image &)>;

    virtual ~ClipDecoder() = default;

    /** The clock, engine time on the clip's own timeline. */
    virtual int64_t currentTime() const = 0;
    /** Moves the clock to t (engine time). */
    virtual void setCurrentTime(int64_t t) = 0;
    /** The length of the clip's own timeline (engine time). */
    virtual int64_t duration() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlay() const = 0;
    /** The gain of the clip's sound, 0 to 1. */
    virtual void setPlayVolume(float volume) = 0;

    virtual bool hasVideo() const = 0;
    virtual bool hasAudio() const = 0;

    /** Hands the frame at the clock to action (see the class comment for where it runs). */
    virtual void decodeCurrentImageWithAction(const FrameAction &action) = 0;

    /**
     * One tick of the player's 0.05 s refresh while the clip plays, for a clip that keeps
     * something in step with its clock (a page's music). Nothing by default.
     */
    virtual void updatePlayerPlaySegment() {}
};
