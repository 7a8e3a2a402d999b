#include "app/View/MenuEditView/BackPicListLayout.h"

#include <cmath>

namespace Discwright::BackPicListLayout {

int getSupposedInsertIndex(double y, int count)
{
    const int whole = int(std::floor(y));
    int index = int(std::floor(y / kRowHeight));
    if (whole % int(kRowHeight) > 40)
        ++index;
    return std::clamp(index, 0, std::max(count, 0));
}

double lineViewY(int insertIndex)
{
    return kRowHeight * insertIndex - 1;
}

GridLayout layoutFrameView(QSizeF contentSize, int count)
{
    constexpr double cellWidth = 100.0;
    constexpr double cellHeight = 90.0;
    constexpr double vGap = 5.0;
    GridLayout grid;
    const double width = contentSize.width();
    // A narrow scroll view still gets one column rather than a division by zero.
    grid.columns = std::max(1, int((width - 5) / 105));
    grid.rows = (count + grid.columns - 1) / grid.columns;
    const double gap = std::max(0.0, (width - cellWidth * grid.columns) / (grid.columns + 1));
    grid.documentSize = QSizeF(
        width, std::max(grid.rows * cellHeight + (grid.rows + 1) * vGap, contentSize.height()));
    for (int i = 0; i < count; ++i)
        grid.cells.append(QRectF(gap + (i % grid.columns) * (cellWidth + gap),
                                 vGap + (i / grid.columns) * (cellHeight + vGap),
                                 cellWidth,
                                 cellHeight));
    return grid;
}

QRectF centreCropRect(QSizeF imageSize, QSizeF containerSize)
{
    const double iw = imageSize.width();
    const double ih = imageSize.height();
    double s = 0.01;
    if (iw > 0)
        s = std::max(s, containerSize.width() / iw);
    if (ih > 0)
        s = std::max(s, containerSize.height() / ih);
    const double w = containerSize.width() / s;
    const double h = containerSize.height() / s;
    return QRectF((iw - w) / 2, (ih - h) / 2, w, h);
}

} // namespace Discwright::BackPicListLayout
