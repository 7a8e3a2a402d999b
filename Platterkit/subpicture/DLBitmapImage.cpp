#include "Platterkit/subpicture/DLBitmapImage.h"

#include "platform/Assert.h"

#include <QList>
#include <cmath>

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
    // Rounding half up before the check keeps 0.5 as one pixel and 0.4 as none; NaN fails the
    // comparison below like a zero size.
    const double width = std::trunc(size.width() + 0.5);
    const double height = std::trunc(size.height() + 0.5);
    if (!(width > 0.0 && height > 0.0) || width > 32768.0 || height > 32768.0)
        return nullptr;
    QImage bitmap(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGBA8888);
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
    // Model geometry is y-up; this is the one flip between it and the pixel rows.
    painter->translate(0.0, m_bitmap.height());
    painter->scale(1.0, -1.0);
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
