#include "app/AppExtention/Function/CanvasClamp.h"

#include <algorithm>

namespace CanvasClamp {

QRectF boundInCanvasLimit(const QRectF &r, const QRectF &menuRect)
{
    const float width = std::min(float(menuRect.width()), float(r.width()));
    const float height = std::min(float(menuRect.height()), float(r.height()));
    const QRectF inside = menuRect.adjusted(width / 2.0, height / 2.0, -width / 2.0, -height / 2.0);
    QPointF centre = r.center();
    centre.setX(std::max(std::min(centre.x(), inside.right()), inside.left()));
    centre.setY(std::max(std::min(centre.y(), inside.bottom()), inside.top()));
    return QRectF(centre.x() - width / 2.0, centre.y() - height / 2.0, width, height);
}

} // namespace CanvasClamp
