#pragma once

// The picture of one menu element (DVDMenuItem::imageAtTime and its helpers): a text picture, a
// button picture, or a title picture cut to its decorative frame. Runs on the calling thread; the
// element is read, never changed.

#include <QImage>
#include <QtGlobal>

class DVDMenuItem;
class QPainter;

namespace Platterkit::render {

/**
 * The element's picture at timeUs, or a null image when it shows nothing then. An element that is
 * not valid shows only at kLayoutTimeUs, or at kThumbnailTimeUs when forceShowItem says so. A
 * title picture is the size of the element's frame (made integral) with the origin at the lower
 * left; a text or button picture has its own size.
 */
QImage elementImageAtTime(DVDMenuItem &item, qint64 timeUs);

/**
 * Paints the element's still picture (validStaticImage) into context, or else asks the jump target
 * to paint the element's moving picture at timeUs. context must be a y-up painter on a bitmap, as
 * MenuBitmap gives. Nothing happens without a picture or a target that answers.
 */
void fillElementImageAtTime(DVDMenuItem &item, qint64 timeUs, QPainter *context);

/**
 * Paints picture over the whole bitmap of context (a y-up painter), cropped to the largest centred
 * part with the bitmap's aspect ratio, source-over at full opacity.
 */
void drawImageIntoContext(const QImage &picture, QPainter *context);

} // namespace Platterkit::render
