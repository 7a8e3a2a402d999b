#pragma once

#include <QImage>
#include <QLoggingCategory>
#include <QRectF>
#include <QSizeF>
#include <QVariant>
#include <functional>
#include <memory>

class QPainter;
class LMDataImage;

namespace Reelsmith {
// discwright.reelsmith.image: bitmap drawing and the image pool.
Q_DECLARE_LOGGING_CATEGORY(lcBitmap)
} // namespace Reelsmith

/**
 * An offscreen 32-bit RGBA bitmap that engine code draws into and reads back as an image:
 * subtitle text, every frame of a conversion, the cached pictures of a menu page video.
 *
 * The backing is made at the first drawInImage(): a surface of the size rounded to whole pixels,
 * premultiplied RGBA when hasAlpha is set (set it before that first drawing), else opaque RGBX.
 * Drawing coordinates are the engine's picture geometry: pixels, origin at the lower left, y up.
 *
 * Held by std::shared_ptr. One thread draws into a bitmap at a time; the image pool hands each
 * bitmap to one side at a time.
 */
class LMBitmapImage
{
public:
    /** A bitmap without backing; null when the width or the height is not above 0.99. */
    static std::shared_ptr<LMBitmapImage> imageWithSize(const QSizeF &size);
    /**
     * A bitmap whose backing is context (moved in, so drawing writes into its pixels, including
     * external memory a QImage was made over); null when its size fails the same test.
     */
    static std::shared_ptr<LMBitmapImage> imageWithCGContext(QImage context);
    /** A bitmap without size or backing that only carries value as data_image(). */
    static std::shared_ptr<LMBitmapImage> imageWithImage(const QVariant &value);

    explicit LMBitmapImage(const QSizeF &size = QSizeF());
    LMBitmapImage(const LMBitmapImage &) = delete;
    LMBitmapImage &operator=(const LMBitmapImage &) = delete;

    QSizeF image_size() const { return m_size; }
    QSizeF size() const { return m_size; }
    /** (0, 0, size). */
    QRectF drawRect() const { return QRectF(QPointF(0, 0), m_size); }

    bool hasAlpha() const { return m_hasAlpha; }
    void setHasAlpha(bool hasAlpha) { m_hasAlpha = hasAlpha; }

    QVariant data_image() const { return m_dataImage; }

    // Backing.
    bool is_context_empty() const { return m_kind == Backing::None; }
    /** The backing when it is a drawing context (rounded size), else null. */
    QImage *get_cg_context_ref();
    /** The backing when it is a bitmap representation (truncated size), else null. */
    QImage *get_bitmap_rep();
    /** Makes the context backing when there is none: round(size), RGBA premultiplied or RGBX. */
    void create_cg_context_ref();
    /** Makes the representation backing when there is none: trunc(size), straight RGBA. */
    void create_bitmap_rep();

    /**
     * The drawing scope: makes the backing if needed and runs block with a painter on it, in
     * y-up pixel coordinates (use drawImageInRect to place pictures upright; for text or other
     * y-down drawing, reset the painter's transform). Without a backing it logs
     * "draw image empty" and does not run block. An exception the block throws is dropped and
     * the painter is still ended.
     */
    void drawInImage(const std::function<void(QPainter &)> &block);

    // Reading back. Each answers a snapshot of the pixels (later drawing does not change it), or a
    // null image when there is no backing.
    QImage getCGImageRef() const;
    QImage getBitmapImageRep() const { return getCGImageRef(); }
    QImage getNSImage() const { return getCGImageRef(); }
    QImage getCIImage() const { return getCGImageRef(); }

    /** getDataImageFromCGImage of getCGImageRef(); null without a backing. */
    std::shared_ptr<LMDataImage> getDataImage() const;
    /**
     * The raw pixel record of a 32-bit image: its byte order as the record's pixel format, its
     * alpha as the record's alpha type (straight, premultiplied, or none for padding bytes, so an
     * RGBX surface reads back opaque), duration 100, and a copy of the pixels. Null for any
     * other image.
     */
    static std::shared_ptr<LMDataImage> getDataImageFromCGImage(const QImage &image);

    // Drawing helpers (the DrawFunction class methods).

    /**
     * Draws image into rect of a painter set up by drawInImage (y-up): the picture stays upright.
     * A null image draws nothing.
     */
    static void drawImageInRect(QPainter &painter, const QImage &image, const QRectF &rect);
    static void drawImageInRect(QPainter &painter, const LMBitmapImage &image, const QRectF &rect);

    /** Fit, keeping the aspect, centred: platform::scaleRectIn. */
    static QRectF scaleRectIn(const QRectF &rect, const QRectF &bounds);
    /** Fill, keeping the aspect, centred (overflows one axis): platform::scaleRectFull. */
    static QRectF scaleRectFull(const QRectF &rect, const QRectF &bounds);

    /**
     * The AVPixelFormat of a 32-bit image's byte order as it lies in memory (RGBA, BGRA, ARGB or
     * ABGR); AV_PIX_FMT_NONE for any other image, including images without an alpha position.
     */
    static int32_t pixelFormatOfImage(const QImage &image);

private:
    enum class Backing { None, Context, BitmapRep };

    QSizeF m_size;
    bool m_hasAlpha = false;
    Backing m_kind = Backing::None;
    QImage m_backing;
    QVariant m_dataImage;
};
