#include "Platterkit/subpicture/DLBitmapImage.h"

#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/render/MenuGeometry.h"
#include "platform/Assert.h"

#include <QList>

namespace {

// The painters of the nested lockFocus calls of this thread, innermost last.
QList<QPainter *> &focusStack()
{
    thread_local QList<QPainter *> stack;
    return stack;
}

} // namespace

std::unique_ptr<DLBitmapImage> DLBitmapImage::imageWithSize(QSizeF size)
{
    // The same size rule as the page bitmaps, so a layer always matches the picture it covers.
    const QSize pixels = Platterkit::render::bitmapPixelSize(size);
    if (pixels.isEmpty())
        return nullptr;
    QImage bitmap(pixels, QImage::Format_RGBA8888);
    if (bitmap.isNull())
        return nullptr;
    bitmap.fill(Qt::transparent);
    return std::unique_ptr<DLBitmapImage>(new DLBitmapImage(std::move(bitmap)));
}

DLBitmapImage::DLBitmapImage(QImage bitmap)
    : m_bitmap(std::move(bitmap))
{}

DLBitmapImage::~DLBitmapImage()
{
    DW_ASSERT(!m_painter, unlockFocus());
}

void DLBitmapImage::lockFocus()
{
    DW_ASSERT(!m_painter, return );
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&m_bitmap))
        return;
    Platterkit::render::applyYUpTransform(*painter, m_bitmap.height());
    m_painter = std::move(painter);
    focusStack().append(m_painter.get());
}

void DLBitmapImage::unlockFocus()
{
    if (!m_painter)
        return;
    // Focus is released innermost first; anything else is a caller's mistake, and the stack
    // still must not keep a painter that is about to end.
    QList<QPainter *> &stack = focusStack();
    DW_ASSERT(!stack.isEmpty() && stack.last() == m_painter.get(), (void)0);
    stack.removeAll(m_painter.get());
    m_painter->end();
    m_painter.reset();
}

QPainter *DLBitmapImage::currentContext()
{
    const QList<QPainter *> &stack = focusStack();
    return stack.isEmpty() ? nullptr : stack.last();
}
