#pragma once

// The picture of a whole menu page (DVDMenu::imageAtTime): black canvas, the elements placed
// behind the background, the background picture or custom drawer, then the other elements, back
// to front. Runs on the calling thread: the canvas and page thumbnails on the main thread, menu
// video encoding on the production thread.

#include <QImage>
#include <QRectF>
#include <QtGlobal>

class DVDMenu;
class DVDMenuElement;
class QPainter;

namespace Platterkit::render {

/** Border between an element's frame and its picture, on every side. */
inline constexpr double kElementInset = 2.0;

/**
 * The page at timeUs, at the page's menuSize in pixels (one point, one pixel). A null image when
 * no bitmap can be made for that size (a side of zero).
 */
QImage pageImageAtTime(DVDMenu &menu, qint64 timeUs);

/**
 * Draws an element's picture into a y-up page painter: fitted (aspect kept, centred) into the
 * element's frame inset by kElementInset, turned by the element's rotation about its frame's
 * centre, with its drop shadow. A null picture, or one that would be 1 point or less on a side,
 * draws nothing. The painter's state is left as it was.
 */
void drawElementImage(QPainter &painter, const DVDMenuElement &element, const QImage &picture);

/**
 * Draws the part of a background picture (part in the picture's y-up coordinates; empty for the
 * whole picture) into rect of a y-up painter: mode 0 fits the picture's size inside rect, 1 covers
 * rect with it (cut at the edges), any other value stretches it to rect.
 */
void drawBackgroundImage(QPainter &painter,
                         const QImage &picture,
                         const QRectF &rect,
                         qint64 mode,
                         const QRectF &part = QRectF());

} // namespace Platterkit::render
