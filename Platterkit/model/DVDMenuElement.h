#pragma once

#include "Platterkit/model/DLShadow.h"
#include "platform/Object.h"

#include <QImage>
#include <QRectF>

/**
 * A page element as the authoring code sees it. DVDMenuItem is the one implementation.
 */
class DVDMenuElement
{
public:
    virtual ~DVDMenuElement() = default;

    // Degrees about the element's centre.
    virtual double rotation() const = 0;
    // Stacking level; below -99 places the element behind the others.
    virtual int level() const = 0;
    virtual bool isValid() const = 0;
    virtual bool highlightModeEmptyInDVD() const = 0;
    virtual bool isStaticItem() const = 0;
    virtual bool isTextItem() const = 0;
    virtual bool isButtonItem() const = 0;
    // Page coordinates in menu points, y up.
    virtual QRectF frame() const = 0;
    virtual QImage imageAtTime(qint64 timeUs) = 0;
    // What activating the element leads to: a title, a chapter, a page, or null.
    virtual ObjectRef jump() const = 0;
    virtual DLShadow shadow() const = 0;
    virtual double roundValue() const = 0;
};
