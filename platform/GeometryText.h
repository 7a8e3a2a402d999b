#pragma once

// The text forms of rectangles, sizes and points that archives and property lists carry:
// "{{x, y}, {w, h}}", "{w, h}" and "{x, y}". Numbers print in the shortest form that reads back
// exactly (10 -> "10", 2.5 -> "2.5"). Parsing is lenient, as hand-edited template files need:
// numbers are taken in order whatever the braces and blanks, a missing number is 0 ("{1, 2}" as a
// rectangle is {{1, 2}, {0, 0}}), and unreadable text gives zeros. Any thread.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace platform {

QString stringFromRect(const QRectF &rect);
QString stringFromSize(const QSizeF &size);
QString stringFromPoint(const QPointF &point);

QRectF rectFromString(const QString &text);
QSizeF sizeFromString(const QString &text);
QPointF pointFromString(const QString &text);

} // namespace platform
