#pragma once

#include "platform/Object.h"

#include <QImage>

/**
 * The text object of a menu element (the application's styled text). It keeps an unretained
 * back-link to the element that owns it.
 */
class DVDMenuTextResource
{
public:
    virtual ~DVDMenuTextResource() = default;

    // The owning element, or null once it is gone.
    virtual ObjectRef menuItem() const = 0;
    // Stores the back-link; implementations must not retain item (keep a std::weak_ptr).
    virtual void setMenuItem(const ObjectRef &item) = 0;
    // A new picture of the rendered text at the text object's size.
    virtual QImage textSourceImage() const = 0;
    // An independent text object with the same style and text, back-link unset. Used when a menu
    // element is copied.
    virtual ObjectRef copyTextResource() const = 0;
};
