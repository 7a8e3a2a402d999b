// The picture messages of the disc model's pages and elements, kept with the renderers they
// forward to so that the model never includes the render folder.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuElementRenderer.h"
#include "Platterkit/render/MenuPageRenderer.h"
#include "Platterkit/render/MenuTimes.h"

// --- DVDMenu -----------------------------------------------------------------------------------

QImage DVDMenu::imageAtTime(qint64 timeUs)
{
    return Platterkit::render::pageImageAtTime(*this, timeUs);
}

QImage DVDMenu::thumbnailImage()
{
    return imageAtTime(Platterkit::render::kThumbnailTimeUs);
}

QImage DVDMenu::menuThumbnailImage()
{
    return imageAtTime(Platterkit::render::kLayoutTimeUs);
}

void DVDMenu::drawItemImage(QPainter *painter, DVDMenuItem *item, const QImage &image) const
{
    if (painter && item)
        Platterkit::render::drawElementImage(*painter, *item, image);
}

void DVDMenu::drawBackgroundImageRect(QPainter *painter,
                                      const QImage &image,
                                      const QRectF &rect) const
{
    drawBackgroundImageRectMode(painter, image, rect, backgroundImageDrawMode());
}

void DVDMenu::drawBackgroundImageRectMode(QPainter *painter,
                                          const QImage &image,
                                          const QRectF &rect,
                                          qint64 mode) const
{
    if (painter)
        Platterkit::render::drawBackgroundImage(*painter, image, rect, mode, m_backgroundImageRect);
}

// --- DVDMenuItem -------------------------------------------------------------------------------

QImage DVDMenuItem::imageAtTime(qint64 timeUs)
{
    return Platterkit::render::elementImageAtTime(*this, timeUs);
}

void DVDMenuItem::fillImageAtTimeContext(qint64 timeUs, QPainter *context)
{
    Platterkit::render::fillElementImageAtTime(*this, timeUs, context);
}

void DVDMenuItem::drawImageContext(const QImage &image, QPainter *context) const
{
    Platterkit::render::drawImageIntoContext(image, context);
}
