#include "Reelsmith/frames/LMFFImageColorspaceConverter.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/frames/LMBitmapImage.h"

#include <QPainter>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

LMFFImageColorspaceConverter::LMFFImageColorspaceConverter()
    : m_outputFormat{AV_PIX_FMT_RGBA, 0, 0}
    , m_outputFrame(Reelsmith::detail::makeFrame())
{}

LMFFImageColorspaceConverter::~LMFFImageColorspaceConverter() = default;

LMFFVideoFormat LMFFImageColorspaceConverter::outputFormat() const
{
    std::lock_guard guard(m_formatLock);
    return m_outputFormat;
}

void LMFFImageColorspaceConverter::setOutputFormat(const LMFFVideoFormat &format)
{
    std::lock_guard guard(m_formatLock);
    m_outputFormat = format;
}

AVFrame *LMFFImageColorspaceConverter::outputFrame() const
{
    return m_outputFrame.get();
}

bool LMFFImageColorspaceConverter::isOutputEmpty() const
{
    return !m_outputAllocated;
}

void LMFFImageColorspaceConverter::convertFrame(const AVFrame *frame)
{
    if (!m_outputFrame)
        return;
    if (!m_outputAllocated) {
        const LMFFVideoFormat format = outputFormat();
        if (format.width <= 0 || format.height <= 0 || format.pix_fmt < 0)
            return;
        m_outputFrame->width = format.width;
        m_outputFrame->height = format.height;
        m_outputFrame->format = format.pix_fmt;
        // Rows aligned to 16 bytes for the scaler's vector code.
        if (av_frame_get_buffer(m_outputFrame.get(), 16) < 0)
            return;
        m_outputAllocated = true;
    }
    Reelsmith::detail::scaleFrame(m_swsContext, frame, m_outputFrame.get());
}

void LMFFImageColorspaceConverter::convertBytesFormat(const uint8_t *bytes, int32_t pixFmt)
{
    const LMFFVideoFormat format = outputFormat();
    if (!bytes || format.width <= 0 || format.height <= 0 || pixFmt < 0)
        return;
    const Reelsmith::detail::BorrowedFramePtr frame = Reelsmith::detail::makeBorrowedFrame();
    if (!frame)
        return;
    frame->width = format.width;
    frame->height = format.height;
    frame->format = pixFmt;
    if (av_image_fill_arrays(frame->data,
                             frame->linesize,
                             bytes,
                             AVPixelFormat(pixFmt),
                             format.width,
                             format.height,
                             1)
        >= 0)
        convertFrame(frame.get());
}

void LMFFImageColorspaceConverter::convertContext(const QImage &context)
{
    if (context.isNull())
        return;
    // The surface's own size, stride and byte order are used: reading it as rows of the output
    // size would run past a smaller surface's pixels.
    QImage source = context;
    int32_t pixFmt = LMBitmapImage::pixelFormatOfImage(source);
    if (pixFmt == AV_PIX_FMT_NONE) {
        source = context.convertToFormat(QImage::Format_RGBA8888);
        pixFmt = AV_PIX_FMT_RGBA;
    }
    const Reelsmith::detail::BorrowedFramePtr frame = Reelsmith::detail::makeBorrowedFrame();
    if (!frame)
        return;
    frame->width = source.width();
    frame->height = source.height();
    frame->format = pixFmt;
    frame->data[0] = const_cast<uint8_t *>(source.constBits());
    frame->linesize[0] = int(source.bytesPerLine());
    convertFrame(frame.get());
}

QImage LMFFImageColorspaceConverter::createCGContext() const
{
    const LMFFVideoFormat format = outputFormat();
    if (format.width <= 0 || format.height <= 0)
        return {};
    QImage context(format.width, format.height, QImage::Format_RGBX8888);
    context.fill(Qt::black);
    return context;
}

void LMFFImageColorspaceConverter::createContext()
{
    if (m_context.isNull())
        m_context = createCGContext();
}

void LMFFImageColorspaceConverter::convertBitmapImage(const LMBitmapImage &image)
{
    createContext();
    if (m_context.isNull())
        return;
    const QImage picture = image.getCGImageRef();
    if (picture.isNull())
        return;
    {
        QPainter painter(&m_context);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(m_context.rect()), picture);
    }
    convertContext(m_context);
}

void LMFFImageColorspaceConverter::convertImage(const QImage &image)
{
    createContext();
    if (m_context.isNull())
        return;
    drawImageTo(image, &m_context);
    convertContext(m_context);
}

void LMFFImageColorspaceConverter::drawImageTo(const QImage &image, QImage *context)
{
    if (!context || context->width() < 1 || context->height() < 1)
        return;
    auto wrapper = LMBitmapImage::imageWithCGContext(std::move(*context));
    if (!wrapper)
        return;
    wrapper->drawInImage([&](QPainter &painter) {
        LMBitmapImage::drawImageInRect(painter, image, wrapper->drawRect());
    });
    *context = std::move(*wrapper->get_cg_context_ref());
}

QImage LMFFImageColorspaceConverter::outputImage() const
{
    if (!m_outputAllocated)
        return {};
    return QImage(m_outputFrame->data[0],
                  m_outputFrame->width,
                  m_outputFrame->height,
                  m_outputFrame->linesize[0],
                  QImage::Format_RGBA8888)
        .copy();
}
