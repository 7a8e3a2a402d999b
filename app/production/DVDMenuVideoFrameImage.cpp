#include "app/production/DVDMenuVideoFrameImage.h"

#include "Reelsmith/frames/LMBitmapImage.h"
#include "Reelsmith/frames/LMFFImage.h"
#include "Reelsmith/frames/LMMovieImage.h"

#include <QPainter>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

DVDMenuVideoFrameImage::DVDMenuVideoFrameImage(QSizeF imageSize, QImage content)
    : m_imageSize(imageSize)
    , m_content(std::move(content))
{}

std::shared_ptr<DVDMenuVideoFrameImage> DVDMenuVideoFrameImage::imageWithContent(QSizeF imageSize,
                                                                                 QImage content)
{
    return std::make_shared<DVDMenuVideoFrameImage>(imageSize, std::move(content));
}

void DVDMenuVideoFrameImage::cache_content_image() const
{
    std::lock_guard guard(m_lock);
    if (m_cached)
        return;
    m_cached = true;
    const auto bitmap = LMBitmapImage::imageWithSize(m_imageSize);
    if (!bitmap || m_content.isNull())
        return;
    // A page picture of the bitmap's own pixel size (the page renderer's, always opaque) lands in
    // the opaque bitmap unchanged: its pixels in the bitmap's order are the same bytes without a
    // second drawing.
    if (m_content.size()
            == QSize(int(std::lround(m_imageSize.width())), int(std::lround(m_imageSize.height())))
        && (m_content.format() == QImage::Format_ARGB32_Premultiplied
            || m_content.format() == QImage::Format_RGB32)) {
        m_cachedImage = m_content.convertToFormat(QImage::Format_RGBX8888);
        return;
    }
    if (drawToBitmapImage(*bitmap))
        m_cachedImage = bitmap->getCIImage();
}

QImage DVDMenuVideoFrameImage::currentCIImage() const
{
    cache_content_image();
    std::lock_guard guard(m_lock);
    return m_cachedImage;
}

Reelsmith::imaging::Image DVDMenuVideoFrameImage::currentEffectImage() const
{
    const QImage picture = currentCIImage();
    return picture.isNull() ? Reelsmith::imaging::Image()
                            : Reelsmith::imaging::Image::fromQImage(picture);
}

bool DVDMenuVideoFrameImage::drawToBitmapImage(LMBitmapImage &bitmap) const
{
    if (m_content.isNull())
        return false;
    if (bitmap.is_context_empty())
        bitmap.create_cg_context_ref();
    if (bitmap.is_context_empty())
        return false;
    bool drawn = false;
    bitmap.drawInImage([&](QPainter &painter) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        LMBitmapImage::drawImageInRect(painter, m_content, bitmap.drawRect());
        drawn = true;
    });
    return drawn;
}

std::shared_ptr<LMMovieImage> DVDMenuVideoFrameImage::movieImage() const
{
    {
        std::lock_guard guard(m_lock);
        if (m_movieImage)
            return m_movieImage;
    }
    QImage picture = currentCIImage();
    // An opaque picture's bytes already are straight RGBA.
    if (picture.format() != QImage::Format_RGBX8888)
        picture = picture.convertToFormat(QImage::Format_RGBA8888);
    if (picture.isNull())
        return nullptr;
    auto image = std::make_shared<LMMovieImage>();
    image->alloc_cached_frame_image_buffer(picture.width(), picture.height(), AV_PIX_FMT_RGBA);
    const std::shared_ptr<LMFFImage> buffer = image->originFFImage();
    AVFrame *frame = buffer ? buffer->getFrame() : nullptr;
    if (!frame || !frame->data[0])
        return nullptr;
    {
        std::lock_guard guard(buffer->lock());
        const size_t rowBytes = size_t(picture.width()) * 4;
        for (int y = 0; y < picture.height(); ++y)
            std::memcpy(frame->data[0] + size_t(y) * frame->linesize[0],
                        picture.constScanLine(y),
                        rowBytes);
    }
    const QSizeF size(picture.width(), picture.height());
    image->setOriginSize(size);
    image->setDisplaySize(size);
    image->setCropRect(QRectF(QPointF(0, 0), size));
    image->setOutputSize(m_imageSize.isEmpty() ? size : m_imageSize);
    std::lock_guard guard(m_lock);
    m_movieImage = image;
    return image;
}
