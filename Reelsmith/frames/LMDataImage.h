#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
struct AVFrame;

/**
 * What the fourth byte of a 32-bit pixel means. The pixel format alone says where that byte lies,
 * not whether the colours are premultiplied by it or whether it is padding; a record carries it
 * so that a premultiplied surface is not read as straight alpha and an RGBX surface's padding is
 * never taken for transparency.
 */
enum class LMAlphaType : int32_t {
    Straight = 0,      // colours are not premultiplied by alpha
    Premultiplied = 1, // colours are premultiplied by alpha
    None = 2,          // the fourth byte is padding: the picture is opaque
};

/**
 * A plain pixel buffer: width, height, first-plane stride, FFmpeg pixel format (AVPixelFormat of
 * this build, assigned by name) and the bytes. It hands the pixels out as images and as drawing
 * surfaces without copying where it can.
 *
 * Copies share the bytes (copy()). Held by std::shared_ptr; one thread at a time changes a record.
 */
class LMDataImage
{
public:
    LMDataImage() = default;

    static std::shared_ptr<LMDataImage> create() { return std::make_shared<LMDataImage>(); }

    /** A new record sharing this one's bytes and copying every field. */
    std::shared_ptr<LMDataImage> copy() const { return std::make_shared<LMDataImage>(*this); }

    int32_t width = 0;
    int32_t height = 0;
    int32_t bytes_per_row = 0;
    int32_t format = -1; // AV_PIX_FMT_NONE
    int32_t duration = 0;
    LMAlphaType alpha = LMAlphaType::Straight;

    // The bytes.
    const uint8_t *bytes() const { return m_bytes; }
    uint8_t *mutableBytes() { return m_bytes; }
    size_t length() const { return m_length; }
    /** Takes a new zero-filled buffer of length bytes. */
    void allocate(size_t length);
    /** Takes a copy of length bytes. */
    void setBytesCopy(const uint8_t *bytes, size_t length);
    /**
     * Refers to length bytes owned elsewhere; keepAlive is held as long as any record shares the
     * bytes (a frame's buffer reference, say).
     */
    void setBytesNoCopy(uint8_t *bytes, size_t length, std::shared_ptr<void> keepAlive);
    /** The bytes as shared by copies: two records with the same holder see the same pixels. */
    bool sharesBytesWith(const LMDataImage &other) const
    {
        return m_holder == other.m_holder && m_holder;
    }

    QSize size() const { return QSize(width, height); }
    QRectF drawRect() const { return QRectF(0, 0, width, height); }
    /** Width, height and stride at least 1, and at least stride x height bytes. */
    bool isImageValid() const;

    /**
     * The pixels as a non-drawing image (a copy), for RGBA and BGRA records read with their alpha
     * type; ARGB and ABGR are reordered into RGBA. Null for another format, a non-positive size or
     * too few bytes.
     */
    QImage cgImageRef() const;
    QImage ciimage() const { return cgImageRef(); }
    /** For RGBA only: an image made straight over the bytes (no copy, valid while they are). */
    QImage ciimage_raw() const;
    QImage bitmapImageRep() const { return cgImageRef(); }
    QImage nsimage() const { return cgImageRef(); }

    /**
     * A drawing surface over the bytes themselves (drawing changes them), in the record's own
     * alpha type: straight records stay straight. RGBA and BGRA only (QImage has no surface in
     * ARGB or ABGR byte order); null otherwise, for a non-positive size or too few bytes.
     */
    QImage cgContextRef();
    /**
     * Runs block with a painter on cgContextRef(), in y-up pixel geometry (origin at the lower
     * left). Without a surface or block nothing is drawn; an exception the block throws is dropped.
     */
    void drawInImage(const std::function<void(QPainter &)> &block);

    /**
     * Points frame at the bytes (no copy): the frame is reset and gets this width, height and
     * format, the first stride bytes_per_row and the plane pointers av_image_fill_pointers gives.
     * Nothing for a null frame, no bytes or a size below 1.
     */
    void fillAVFrame(AVFrame *frame) const;

    /**
     * Becomes a copy of other: a new buffer when the lengths differ, else the bytes are copied
     * into the buffer held (so records sharing it see the new pixels); then every field.
     */
    void cacheFromDataImage(const LMDataImage &other);

private:
    uint8_t *m_bytes = nullptr;
    size_t m_length = 0;
    std::shared_ptr<void> m_holder;
};
