#include "Platterkit/render/MenuBitmap.h"

#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/render/RenderLog.h"

namespace Platterkit::render {

MenuBitmap::MenuBitmap(const QSizeF &size)
{
    const QSize pixels = bitmapPixelSize(size);
    if (pixels.isEmpty()) {
        qCDebug(lcRender) << "no bitmap for size" << size;
        return;
    }
    m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    if (m_image.isNull()) {
        qCWarning(lcRender) << "cannot allocate a bitmap of" << pixels;
        return;
    }
    m_image.fill(Qt::transparent);
    m_painter = std::make_unique<QPainter>(&m_image);
    if (!m_painter->isActive()) {
        m_painter.reset();
        m_image = QImage();
        return;
    }
    m_painter->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    applyYUpTransform(*m_painter, pixels.height());
}

MenuBitmap::~MenuBitmap() = default;

QRectF MenuBitmap::bounds() const
{
    return QRectF(0, 0, m_image.width(), m_image.height());
}

QImage MenuBitmap::finish()
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
    return std::move(m_image);
}

void applyYUpTransform(QPainter &painter, double height)
{
    painter.setWorldTransform(QTransform(1.0, 0.0, 0.0, -1.0, 0.0, height));
}

void drawImageUpright(QPainter &painter,
                      const QRectF &dest,
                      const QImage &image,
                      const QRectF &source)
{
    if (image.isNull() || dest.isEmpty())
        return;
    const QRectF part = source.isEmpty() ? QRectF(0, 0, image.width(), image.height()) : source;
    painter.save();
    // Mirror about dest's horizontal centre line so the image's first row lands at dest's top.
    painter.translate(0.0, dest.y() * 2.0 + dest.height());
    painter.scale(1.0, -1.0);
    painter.drawImage(dest, image, flipRect(part, image.height()));
    painter.restore();
}

} // namespace Platterkit::render
