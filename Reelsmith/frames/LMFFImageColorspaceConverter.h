#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/detail/FFmpegPointers.h"

#include <QImage>
#include <mutex>

class LMBitmapImage;

/**
 * Converts every picture an encoder writes into one output pixel format and size, through
 * libswscale (bilinear). The output frame's buffer is allocated at the first conversion and kept:
 * set outputFormat once, before the first frame. One thread at a time (the writing thread).
 */
class LMFFImageColorspaceConverter
{
public:
    LMFFImageColorspaceConverter();
    ~LMFFImageColorspaceConverter();
    LMFFImageColorspaceConverter(const LMFFImageColorspaceConverter &) = delete;
    LMFFImageColorspaceConverter &operator=(const LMFFImageColorspaceConverter &) = delete;

    /** AV_PIX_FMT_RGBA, 0 x 0 until set. */
    LMFFVideoFormat outputFormat() const;
    void setOutputFormat(const LMFFVideoFormat &format);

    /** The held output frame; its planes are empty until the first conversion. */
    AVFrame *outputFrame() const;
    bool isOutputEmpty() const;

    /**
     * Scales frame into the output frame. With an output width or height of 0 nothing happens;
     * a frame the scaler cannot read leaves the previous output in place.
     */
    void convertFrame(const AVFrame *frame);
    /** Wraps packed pixels of the output size in the given AVPixelFormat and converts them. */
    void convertBytesFormat(const uint8_t *bytes, int32_t pixFmt);
    /**
     * Converts a drawing surface (scaled to the output size). 32-bit surfaces are read in their
     * own byte order; any other depth is first converted to RGBA.
     */
    void convertContext(const QImage &context);
    /** A new RGBX surface of the output size; the caller owns it. */
    QImage createCGContext() const;
    /** Makes this converter's own surface once. */
    void createContext();
    /** Draws the bitmap over the whole of the converter's surface, then converts that surface. */
    void convertBitmapImage(const LMBitmapImage &image);
    /** Draws the image into the converter's surface, then converts that surface. */
    void convertImage(const QImage &image);
    /** Draws image into the whole of context (upright); a null context draws nothing. */
    static void drawImageTo(const QImage &image, QImage *context);

    /**
     * The output picture as a non-premultiplied RGBA image (a copy), or a null image while the
     * output is empty. Meaningful only for a packed 32-bit RGBA output format.
     */
    QImage outputImage() const;

private:
    mutable std::mutex m_formatLock;
    LMFFVideoFormat m_outputFormat;
    Reelsmith::detail::FramePtr m_outputFrame; // its buffer is reference-counted, freed with it
    bool m_outputAllocated = false;
    QImage m_context;
    Reelsmith::detail::SwsContextPtr m_swsContext;
};
