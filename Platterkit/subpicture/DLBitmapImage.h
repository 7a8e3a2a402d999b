#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>
#include <QSizeF>
#include <memory>

/**
 * An offscreen RGBA bitmap (8 bits a sample, straight alpha) that code draws into between
 * lockFocus and unlockFocus and then reads back as a picture. While focus is locked the bitmap's
 * painter is the calling thread's current graphics context, with the origin at the lower left and
 * y growing upwards, as model geometry is.
 *
 * Not shared between threads: lock, draw and unlock on one thread. The pixel store itself (a
 * QImage) may be handed to any thread once focus is unlocked.
 */
class DLBitmapImage
{
public:
    // Width and height rounded to the nearest whole pixel, as render::bitmapPixelSize says; null
    // when that gives no size or the pixel store cannot be allocated. The pixels start fully
    // transparent.
    static std::unique_ptr<DLBitmapImage> imageWithSize(QSizeF size);

    ~DLBitmapImage();
    DLBitmapImage(const DLBitmapImage &) = delete;
    DLBitmapImage &operator=(const DLBitmapImage &) = delete;

    // Makes a painter on the pixel store (y up) the thread's current graphics context, saving the
    // one that was current. Calls nest; each needs its own unlockFocus.
    void lockFocus();
    // Ends the painter made by lockFocus and makes the saved context current again.
    void unlockFocus();

    QSize size() const { return m_bitmap.size(); }
    // The pixel store; it reflects what was drawn once focus is unlocked.
    const QImage &bitmapImageRep() const { return m_bitmap; }
    QImage bitmap_image() const { return m_bitmap; }
    // An independent copy of the pixels, for callers that keep the picture.
    QImage nsimage() const { return m_bitmap.copy(); }

    // The painter of the innermost lockFocus on this thread, or null outside any.
    static QPainter *currentContext();

private:
    explicit DLBitmapImage(QImage bitmap);

    QImage m_bitmap;
    std::unique_ptr<QPainter> m_painter;
};

// Locks focus for the lifetime of the scope, so that an early return or an exception from a
// drawer cannot leave the bitmap locked.
class DLBitmapFocus
{
public:
    explicit DLBitmapFocus(DLBitmapImage &image)
        : m_image(image)
    {
        m_image.lockFocus();
    }
    ~DLBitmapFocus() { m_image.unlockFocus(); }
    DLBitmapFocus(const DLBitmapFocus &) = delete;
    DLBitmapFocus &operator=(const DLBitmapFocus &) = delete;

private:
    DLBitmapImage &m_image;
};
