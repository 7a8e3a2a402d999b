#include "app/View/MenuEditView/BorderPreviewLayout.h"

namespace Discwright::BorderPreviewLayout {

Layout layoutForSize(QSizeF bounds)
{
    Layout layout;
    layout.gap = int((bounds.width() - 2 * kSampleWidth) / 3);
    const double bottom = (bounds.height() - kSampleHeight) / 2;
    layout.leftSample = QRectF(layout.gap, bottom, kSampleWidth, kSampleHeight);
    layout.rightSample
        = QRectF(2.0 * layout.gap + kSampleWidth, bottom, kSampleWidth, kSampleHeight);
    layout.labelY = int((bounds.height() - kSampleHeight) / 2 - 50);
    return layout;
}

QRectF fillRect(const QRectF &sample, double borderWidth)
{
    return sample.adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
}

QRectF getFillSizeforRect(const QRectF &rect, QSizeF size)
{
    if (rect.height() <= 0 || size.height() <= 0 || size.width() <= 0)
        return rect;
    if (rect.width() / rect.height() > size.width() / size.height()) {
        const double width = size.width() * rect.height() / size.height();
        return QRectF(rect.x() + (rect.width() - width) / 2, rect.y(), width, rect.height());
    }
    const double height = rect.width() * size.height() / size.width();
    return QRectF(rect.x(), rect.y() + (rect.height() - height) / 2, rect.width(), height);
}

} // namespace Discwright::BorderPreviewLayout
