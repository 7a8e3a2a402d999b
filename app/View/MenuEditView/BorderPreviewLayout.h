#pragma once

// Where the border preview draws its two sample buttons and their labels, and the crop of its
// backdrop. Plain values (y up, as the view draws). Any thread.

#include <QRectF>
#include <QSizeF>

namespace Discwright::BorderPreviewLayout {

inline constexpr double kSampleWidth = 200.0;
inline constexpr double kSampleHeight = 150.0;

struct Layout
{
    int gap = 0;
    QRectF leftSample;
    QRectF rightSample;
    int labelY = 0;
};
Layout layoutForSize(QSizeF bounds);
// The left sample inset by the outline width: what the fill covers and the ring surrounds.
QRectF fillRect(const QRectF &sample, double borderWidth);
// The largest rectangle of size's proportions inside rect, centred in it.
QRectF getFillSizeforRect(const QRectF &rect, QSizeF size);

} // namespace Discwright::BorderPreviewLayout
