#pragma once

// The chapter tiles' text and layout apart from their widgets: the typed time read back into
// seconds and the column's height and tile frames (the column is y down, tiles stacked from the
// top). Pure; any thread.

#include <QRectF>
#include <QString>

namespace ChapterTileLayout {

constexpr double kTileHeight = 80.0;

// "h:m:s", "m:s" or "s", each part read by its leading decimal number (0 without one); any other
// number of parts gives 0. So "01:02:03.5" is 3723.5 and "1:2:3:4" is 0.
double stringToSecond(const QString &text);

// The column's height: the scroll view's height or 80 per tile, whichever is more.
double columnHeight(double scrollHeight, qsizetype tileCount);

// The frame of tile index in a column of width.
QRectF tileFrame(qsizetype index, double width);

// The tile's rectangles, y up from its bottom-left corner: still, name and time field.
QRectF imageRect();
QRectF nameRect();
QRectF timeRect();

} // namespace ChapterTileLayout
