#pragma once

#include "Reelsmith/imaging/Image.h"

#include <QImage>
#include <QSizeF>
#include <memory>
#include <mutex>

class LMBitmapImage;
class LMMovieImage;

/**
 * One frame of a menu page video: the page's picture at one time, at the page's size. It answers
 * what the players and the encoder ask of a frame image (sizes, the picture as an image, the
 * picture drawn into an encoder bitmap), and can stand in as an engine frame image
 * (movieImage) for code that holds those.
 *
 * The picture is rendered into a bitmap once, on first use, and kept; asking again for the same
 * frame object does not draw again.
 *
 * Held by std::shared_ptr. Made on the thread that draws the page (the player's or the encoder's);
 * afterwards any thread may read it: the cached picture is made under the frame's own lock.
 */
class DVDMenuVideoFrameImage : public std::enable_shared_from_this<DVDMenuVideoFrameImage>
{
public:
    // content: the page picture (one pixel per menu point); imageSize: the page size.
    DVDMenuVideoFrameImage(QSizeF imageSize, QImage content);
    static std::shared_ptr<DVDMenuVideoFrameImage> imageWithContent(QSizeF imageSize,
                                                                    QImage content);

    QSizeF image_size() const { return m_imageSize; }
    // The page picture as drawn, before any caching.
    QImage content() const { return m_content; }

    // All three are the page size: a page has no crop, display or output geometry of its own.
    QSizeF originSize() const { return m_imageSize; }
    QSizeF outputSize() const { return m_imageSize; }
    QSizeF displaySize() const { return m_imageSize; }

    // The picture at image_size, rendered once (cache_content_image) and then kept. Null when the
    // page drew nothing or its size is empty.
    QImage currentCIImage() const;
    // The same picture for the engine's image layer (a page has no edits to apply).
    Reelsmith::imaging::Image currentEffectImage() const;
    // Renders the picture into the cache when it is not there yet.
    void cache_content_image() const;
    // Draws content over the whole of bitmap (stretched to its size, as an encoder frame of
    // another shape needs it). False when there is nothing to draw or the bitmap cannot be drawn.
    bool drawToBitmapImage(LMBitmapImage &bitmap) const;
    // A frame does not refer to a shared buffer: it is its own reference.
    std::shared_ptr<DVDMenuVideoFrameImage> getReferencedMovieImage() { return shared_from_this(); }
    // An engine frame image holding the picture as its frame (one copy of the pixels), with
    // every size at image_size; null when there is no picture. Made once and kept: the same
    // frame object (a still page's) answers the same engine image, which its readers only read.
    std::shared_ptr<LMMovieImage> movieImage() const;

private:
    const QSizeF m_imageSize;
    const QImage m_content;
    mutable std::mutex m_lock;
    mutable QImage m_cachedImage; // guarded by m_lock
    mutable bool m_cached = false;
    mutable std::shared_ptr<LMMovieImage> m_movieImage; // guarded by m_lock
};

using DVDMenuVideoFrameImageRef = std::shared_ptr<DVDMenuVideoFrameImage>;
