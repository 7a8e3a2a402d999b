#include "Reelsmith/frames/LMDataImage.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/frames/LMBitmapImage.h"

#include <QPainter>
#include <QtEndian>
#include <cstring>
#include <exception>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixfmt.h>
}

namespace {

// QImage formats whose bytes lie in memory as R, G, B, A (or B, G, R, A) for each alpha type.
QImage::Format rgbaFormat(LMAlphaType alpha)
{
    switch (alpha) {
    case LMAlphaType::Premultiplied:
        return QImage::Format_RGBA8888_Premultiplied;
    case LMAlphaType::None:
        return QImage::Format_RGBX8888;
    case LMAlphaType::Straight:
        break;
    }
    return QImage::Format_RGBA8888;
}

QImage::Format bgraFormat(LMAlphaType alpha)
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // A native 0xAARRGGBB word lies in memory as B, G, R, A.
    switch (alpha) {
    case LMAlphaType::Premultiplied:
        return QImage::Format_ARGB32_Premultiplied;
    case LMAlphaType::None:
        return QImage::Format_RGB32;
    case LMAlphaType::Straight:
        break;
    }
    return QImage::Format_ARGB32;
#else
    (void)alpha;
    return QImage::Format_Invalid;
#endif
}

QImage::Format surfaceFormat(int32_t format, LMAlphaType alpha)
{
    if (format == AV_PIX_FMT_RGBA)
        return rgbaFormat(alpha);
    if (format == AV_PIX_FMT_BGRA)
        return bgraFormat(alpha);
    return QImage::Format_Invalid;
}

bool isPacked32(int32_t format)
{
    return format == AV_PIX_FMT_RGBA || format == AV_PIX_FMT_BGRA || format == AV_PIX_FMT_ARGB
           || format == AV_PIX_FMT_ABGR;
}

} // namespace

void LMDataImage::allocate(size_t length)
{
    auto holder = std::shared_ptr<uint8_t[]>(new uint8_t[length ? length : 1]());
    m_bytes = holder.get();
    m_length = length;
    m_holder = holder;
}

void LMDataImage::setBytesCopy(const uint8_t *bytes, size_t length)
{
    allocate(length);
    if (bytes && length)
        std::memcpy(m_bytes, bytes, length);
}

void LMDataImage::setBytesNoCopy(uint8_t *bytes, size_t length, std::shared_ptr<void> keepAlive)
{
    m_bytes = bytes;
    m_length = bytes ? length : 0;
    m_holder = keepAlive ? std::move(keepAlive) : std::make_shared<int>(0);
}

bool LMDataImage::isImageValid() const
{
    return width >= 1 && height >= 1 && bytes_per_row >= 1 && m_bytes
           && m_length >= size_t(bytes_per_row) * size_t(height);
}

QImage LMDataImage::cgImageRef() const
{
    if (!isPacked32(format) || !isImageValid() || bytes_per_row < width * 4)
        return {};
    const QImage::Format direct = surfaceFormat(format, alpha);
    if (direct != QImage::Format_Invalid) {
        QImage image = QImage(m_bytes, width, height, bytes_per_row, direct).copy();
        if (alpha == LMAlphaType::None) {
            // Padding may hold anything; the image formats without alpha expect it to be 0xff.
            // It is the fourth byte in memory for both RGBA and (little-endian) BGRA.
            const int alphaByte = 3;
            for (int y = 0; y < height; ++y) {
                uint8_t *line = image.scanLine(y);
                for (int x = 0; x < width; ++x)
                    line[x * 4 + alphaByte] = 0xff;
            }
        }
        return image;
    }

    // ARGB and ABGR: reorder each pixel into R, G, B, A.
    QImage image(width, height, rgbaFormat(alpha));
    if (image.isNull())
        return {};
    const bool argb = format == AV_PIX_FMT_ARGB;
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = m_bytes + size_t(y) * size_t(bytes_per_row);
        uint8_t *out = image.scanLine(y);
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = argb ? in[1] : in[3];
            out[1] = in[2];
            out[2] = argb ? in[3] : in[1];
            out[3] = alpha == LMAlphaType::None ? 0xff : in[0];
        }
    }
    return image;
}

QImage LMDataImage::ciimage_raw() const
{
    if (format != AV_PIX_FMT_RGBA || !isImageValid() || bytes_per_row < width * 4)
        return {};
    return QImage(m_bytes, width, height, bytes_per_row, rgbaFormat(alpha));
}

QImage LMDataImage::cgContextRef()
{
    const QImage::Format surface = surfaceFormat(format, alpha);
    if (surface == QImage::Format_Invalid || !isImageValid() || bytes_per_row < width * 4)
        return {};
    QImage image(m_bytes, width, height, bytes_per_row, surface);
    image.setColorSpace(lm_default_generic_rgb_color_space());
    return image;
}

void LMDataImage::drawInImage(const std::function<void(QPainter &)> &block)
{
    QImage surface = cgContextRef();
    if (surface.isNull() || !block)
        return;
    QPainter painter(&surface);
    if (!painter.isActive())
        return;
    painter.translate(0, height);
    painter.scale(1, -1);
    try {
        block(painter);
    } catch (const std::exception &error) {
        // The painter still ends, so the bitmap stays usable; the drawing is what was done.
        qCWarning(Reelsmith::lcBitmap, "drawing into a bitmap failed: %s", error.what());
    } catch (...) {
        qCWarning(Reelsmith::lcBitmap, "drawing into a bitmap failed with an unknown exception");
    }
    painter.end();
}

void LMDataImage::fillAVFrame(AVFrame *frame) const
{
    if (!frame || !m_bytes || m_length == 0 || width < 1 || height < 1)
        return;
    av_frame_unref(frame);
    frame->width = width;
    frame->height = height;
    frame->format = format;
    int linesizes[4] = {bytes_per_row, 0, 0, 0};
    // Planar formats get their other strides in proportion to the first, so the chroma planes
    // of a packed YUV copy are found where they lie.
    if (format >= 0) {
        int derived[4] = {};
        if (av_image_fill_linesizes(derived, AVPixelFormat(format), width) >= 0 && derived[0] > 0) {
            for (int i = 1; i < 4; ++i)
                linesizes[i] = derived[i] * bytes_per_row / derived[0];
        }
    }
    for (int i = 0; i < 4; ++i)
        frame->linesize[i] = linesizes[i];
    uint8_t *pointers[4] = {};
    if (format >= 0
        && av_image_fill_pointers(pointers, AVPixelFormat(format), height, m_bytes, linesizes)
               >= 0) {
        for (int i = 0; i < 4; ++i)
            frame->data[i] = pointers[i];
    } else {
        frame->data[0] = m_bytes;
    }
}

void LMDataImage::cacheFromDataImage(const LMDataImage &other)
{
    if (other.m_length != m_length)
        setBytesCopy(other.m_bytes, other.m_length);
    else if (m_length != 0 && other.m_bytes && m_bytes != other.m_bytes)
        std::memcpy(m_bytes, other.m_bytes, m_length);
    format = other.format;
    duration = other.duration;
    width = other.width;
    height = other.height;
    bytes_per_row = other.bytes_per_row;
    alpha = other.alpha;
}
