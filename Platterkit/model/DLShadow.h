#pragma once

#include <QColor>
#include <QMetaType>
#include <QPointF>

/**
 * A drop shadow drawn under a menu element: offset in menu points (y up), blur radius and colour.
 * A default-constructed shadow (transparent colour) draws nothing.
 */
struct DLShadow
{
    QPointF offset;
    double blurRadius = 0.0;
    QColor color = QColor(0, 0, 0, 0);

    bool isVisible() const { return color.isValid() && color.alpha() > 0; }
    bool operator==(const DLShadow &other) const = default;
};

Q_DECLARE_METATYPE(DLShadow)
