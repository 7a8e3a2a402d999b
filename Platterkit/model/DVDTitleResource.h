#pragma once

#include "platform/Object.h"

#include <QSizeF>

class QPainter;

/**
 * A title-like jump target that draws the picture of the elements leading to it and receives the
 * page video size. Declaring this protocol makes the object count as a title of its own when jumps
 * are resolved. The drawing and sizing messages are also sent to objects that merely answer them
 * (see Messages.h), so an implementation should mark those methods Q_INVOKABLE as well.
 */
class DVDTitleResource
{
public:
    virtual ~DVDTitleResource() = default;

    virtual ObjectList vcmovies() const = 0;
    virtual bool useVideoFrame() const = 0;
    // Draws the picture of item (a menu element leading here) at timeUs into context: a y-up
    // painter on the element's bitmap, origin at the lower left, one point per pixel (draw pictures
    // with Platterkit/render/MenuBitmap.h drawImageUpright). timeUs may be one of the sentinels of
    // Platterkit/render/MenuTimes.h.
    virtual void itemFillImageAtTimeContext(QObject *item, qint64 timeUs, QPainter *context) = 0;
    virtual void setExportMovie(bool exportMovie) = 0;
    virtual void setCurrentTime(qint64 timeUs) = 0;
    virtual void flushOperation() = 0;
    // The menu page size in menu points (640 x 480 or 854 x 480).
    virtual void setVideoSize(QSizeF size) = 0;
};
