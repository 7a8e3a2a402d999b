#pragma once

// The one clamp that every placement of a menu item goes through: the canvas's drags, keyboard
// nudges, drops, the add-frame mode, the menu editor's default slots and the title dialog. Menu
// space, y up. Pure function; any thread.

#include <QRectF>

namespace CanvasClamp {

// r fitted into menuRect: its size capped at the menu's (in single precision) and its centre held
// so that the whole rectangle lies inside. A rectangle larger than the menu in one axis becomes
// exactly as large and centred on the menu in that axis; one already inside comes back unchanged.
QRectF boundInCanvasLimit(const QRectF &r, const QRectF &menuRect);

} // namespace CanvasClamp
