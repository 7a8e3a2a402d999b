#pragma once

#include "platform/Object.h"

/**
 * A chapter of a production title. `titles` lists the menu elements that lead to the title the
 * chapter belongs to; the production step fills it so that an element can be mapped to its chapter.
 */
class DVDChapterVideo
{
public:
    virtual ~DVDChapterVideo() = default;

    // The menu elements (DVDMenuItem) leading to this chapter's title.
    virtual ObjectList titles() const = 0;
    // Seconds.
    virtual double duration() const = 0;
};
