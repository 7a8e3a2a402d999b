#pragma once

#include "Reelsmith/LMTypes.h"

class LMFFMediaOwner;

/**
 * What a stream asks of the media that holds it: the movie whose switches decide whether packets
 * are decoded or kept raw, and the picture size bitmap subtitles are placed on. LMFFMedia
 * implements it; streams know their media only through it, so the stream layer does not depend
 * on the media above it.
 *
 * The calls come from the thread that drives the media (its movie's decode queue).
 */
class LMFFStreamOwner
{
public:
    virtual ~LMFFStreamOwner() = default;

    /** The movie whose timeline holds the media; null when the media is used alone. */
    virtual LMFFMediaOwner *movie() const = 0;
    /** The media's video format; {-1, 0, 0} without video. */
    virtual LMFFVideoFormat videoFormat() const = 0;
};
