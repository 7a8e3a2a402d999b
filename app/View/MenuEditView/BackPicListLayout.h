#pragma once

// The slideshow picture list's arithmetic: the row gap under a point, the insertion line, the
// move of dragged pictures, the library grid of the background dialog and the centre crop of an
// imported picture. Plain values, no widgets. Any thread.

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QtGlobal>
#include <algorithm>

namespace Discwright::BackPicListLayout {

inline constexpr double kRowHeight = 80.0;

// The row gap for a point of height y (list coordinates, y down): a point more than 40 points
// into a row counts for the gap below it; never past the last row.
int getSupposedInsertIndex(double y, int count);
// The insertion line's y for an insertion index; -1 puts it out of sight.
double lineViewY(int insertIndex);

// Moves the items at the (ascending, distinct) indexes as one block to the row gap insertIndex,
// counted before the move.
template <typename T> void moveItems(QList<T> &items, QList<int> indexes, int insertIndex)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    QList<T> moved;
    int below = 0;
    for (int index : indexes) {
        if (index < 0 || index >= items.size())
            continue;
        moved.append(items.at(index));
        if (index < insertIndex)
            ++below;
    }
    for (auto it = indexes.crbegin(); it != indexes.crend(); ++it)
        if (*it >= 0 && *it < items.size())
            items.removeAt(*it);
    const int target = std::clamp(insertIndex - below, 0, int(items.size()));
    for (int i = 0; i < moved.size(); ++i)
        items.insert(target + i, moved.at(i));
}

// The library chooser grid: cells of 100 x 90 points in a view W x H (y down).
struct GridLayout
{
    int columns = 1;
    int rows = 0;
    QSizeF documentSize;
    QList<QRectF> cells;
};
GridLayout layoutFrameView(QSizeF contentSize, int count);

// The centred part of a picture of imageSize that fills a container of containerSize.
QRectF centreCropRect(QSizeF imageSize, QSizeF containerSize);

} // namespace Discwright::BackPicListLayout
