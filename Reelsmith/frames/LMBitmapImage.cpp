#include "Reelsmith/frames/LMBitmapImage.h"

#include "Reelsmith/frames/LMDataImage.h"
#include "platform/FitRect.h"

#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <exception>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcBitmap, "discwright.reelsmith.image", QtWarningMsg)
} // namespace Reelsmith

namespace {

bool isDrawableSize(const QSizeF &size)
{
    return size.width() > 0.99 && size.height() > 0.99;
}

} // namespace

std::shared_ptr<LMBitmapImage> LMBitmapImage::imageWithSize(const QSizeF &size)
{
    if (!isDrawableSize(size))
        return nullptr;
    return std::make_shared<LMBitmapImage>(size);
}

std::shared_ptr<LMBitmapImage> LMBitmapImage::imageWithCGContext(QImage context)
{
    const QSizeF size(context.width(), context.height());
    if (context.isNull() || !isDrawableSize(size))
        return nullptr;
    auto image = std::make_shared<LMBitmapImage>(size);
    image->m_hasAlpha = context.hasAlphaChannel();
    image->m_backing = std::move(context);
    image->m_kind = Backing::Context;
    return image;
}

std::shared_ptr<LMBitmapImage> LMBitmapImage::imageWithImage(const QVariant &value)
{
    auto image = std::make_shared<LMBitmapImage>();
    image->m_dataImage = value;
    return image;
}

LMBitmapImage::LMBitmapImage(const QSizeF &size)
    : m_size(size)
{}

QImage *LMBitmapImage::get_cg_context_ref()
{
    return m_kind == Backing::Context ? &m_backing : nullptr;
}

QImage *LMBitmapImage::get_bitmap_rep()
{
    return m_kind == Backing::BitmapRep ? &m_backing : nullptr;
}

void LMBitmapImage::create_cg_context_ref()
{
    if (m_kind != Backing::None)
        return;
    const int width = int(std::lround(m_size.width()));
    const int height = int(std::lround(m_size.height()));
    if (width < 1 || height < 1)
        return;
    QImage context(width,
                   height,
                   m_hasAlpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888);
    if (context.isNull())
        return;
    // A new drawing surface starts clear: transparent with alpha, black without.
    context.fill(m_hasAlpha ? QColor(Qt::transparent) : QColor(Qt::black));
    m_backing = std::move(context);
    m_kind = Backing::Context;
}

void LMBitmapImage::create_bitmap_rep()
{
    if (m_kind != Backing::None)
        return;
    const int width = int(m_size.width());
    const int height = int(m_size.height());
    if (width < 1 || height < 1)
        return;
    QImage rep(width, height, QImage::Format_RGBA8888);
    if (rep.isNull())
        return;
    rep.fill(Qt::transparent);
    m_backing = std::move(rep);
    m_kind = Backing::BitmapRep;
}

void LMBitmapImage::drawInImage(const std::function<void(QPainter &)> &block)
{
    create_cg_context_ref();
    create_bitmap_rep();
    if (m_kind == Backing::None) {
        qCWarning(Reelsmith::lcBitmap, "draw image empty");
        return;
    }
    QPainter painter(&m_backing);
    if (!painter.isActive()) {
        qCWarning(Reelsmith::lcBitmap, "draw image empty");
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The engine's picture geometry is y-up; this is the one flip between it and the pixels.
    painter.translate(0, m_backing.height());
    painter.scale(1, -1);
    if (block) {
        try {
            block(painter);
        } catch (const std::exception &error) {
            qCDebug(Reelsmith::lcBitmap, "drawing block failed: %s", error.what());
        } catch (...) {
            qCDebug(Reelsmith::lcBitmap, "drawing block failed");
        }
    }
    painter.end();
}

QImage LMBitmapImage::getCGImageRef() const
{
    if (m_kind == Backing::None)
        return {};
    // A deep copy: a shared copy would make the next drawing detach the backing from the pixels a
    // wrapped surface was made over.
    return m_backing.copy();
}

std::shared_ptr<LMDataImage> LMBitmapImage::getDataImage() const
{
    if (m_kind == Backing::None)
        return nullptr;
    return getDataImageFromCGImage(m_backing);
}

std::shared_ptr<LMDataImage> LMBitmapImage::getDataImageFromCGImage(const QImage &image)
{
    const int32_t format = pixelFormatOfImage(image);
    if (format == AV_PIX_FMT_NONE || image.isNull())
        return nullptr;
    LMAlphaType alpha = LMAlphaType::Straight;
    switch (image.format()) {
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_ARGB32_Premultiplied:
        alpha = LMAlphaType::Premultiplied;
        break;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGB32:
        alpha = LMAlphaType::None;
        break;
    default:
        break;
    }
    auto record = LMDataImage::create();
    record->format = format;
    record->alpha = alpha;
    record->duration = 100;
    record->width = image.width();
    record->height = image.height();
    record->bytes_per_row = int32_t(image.bytesPerLine());
    record->setBytesCopy(image.constBits(), size_t(image.sizeInBytes()));
    return record;
}

void LMBitmapImage::drawImageInRect(QPainter &painter, const QImage &image, const QRectF &rect)
{
    if (image.isNull() || rect.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    if (painter.worldTransform().m22() < 0) {
        // Mirror the rectangle onto itself so the picture's first row lands at its top.
        painter.translate(0, rect.top() + rect.bottom());
        painter.scale(1, -1);
    }
    painter.drawImage(rect, image);
    painter.restore();
}

void LMBitmapImage::drawImageInRect(QPainter &painter,
                                    const LMBitmapImage &image,
                                    const QRectF &rect)
{
    drawImageInRect(painter, image.getCGImageRef(), rect);
}

QRectF LMBitmapImage::scaleRectIn(const QRectF &rect, const QRectF &bounds)
{
    return platform::scaleRectIn(rect, bounds);
}

QRectF LMBitmapImage::scaleRectFull(const QRectF &rect, const QRectF &bounds)
{
    return platform::scaleRectFull(rect, bounds);
}

int32_t LMBitmapImage::pixelFormatOfImage(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888:
        return AV_PIX_FMT_RGBA;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        // A native-endian 0xAARRGGBB word.
        return AV_PIX_FMT_RGB32;
    default:
        return AV_PIX_FMT_NONE;
    }
}
