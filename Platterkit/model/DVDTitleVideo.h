#pragma once

#include "platform/Object.h"

/**
 * A title of the production copy of the disc model. The library asks it for its chapters (in play
 * order) and whether it is the one warning title that plays before everything else.
 */
class DVDTitleVideo
{
public:
    virtual ~DVDTitleVideo() = default;

    virtual bool isWarningVideo() const = 0;
    // The title's chapter objects (conforming to DVDChapterVideo), in play order.
    virtual ObjectList chapters() const = 0;
    // Seconds: the sum of the chapters' durations.
    virtual double duration() const = 0;

    // Whether title is a production title that says it is the warning title; any other object
    // (null included) is not.
    static bool isWarningTitle(const ObjectRef &title)
    {
        const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
        return video && video->isWarningVideo();
    }
};
