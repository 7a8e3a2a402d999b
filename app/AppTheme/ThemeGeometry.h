#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

// The decisions of the image-drawn controls, as plain functions the style calls and tests drive:
// where the slider's track and knob go, which picture a control shows in which state, and the text
// colours. Rectangles are in the control's own coordinates (y down, as the style paints). Any
// thread.
namespace AppTheme::ThemeGeometry {

// v rounded to the nearest whole number, halves away from zero, in single precision.
float nearest(float v);

// The slider's track for the bar rectangle the platform gives and the fill picture's height.
QRectF sliderBarRect(const QRectF &bar, double fillHeight, bool tickMarks);
// The knob rectangle grown 2 points in height and moved 2 down when the slider has tick marks.
QRectF sliderKnobRect(const QRectF &knob, bool tickMarks);
// Where the knob picture's top left goes; y is measured from the cell's top, not the knob's.
QPointF sliderKnobImageOrigin(const QRectF &knob, const QSizeF &image, bool tickMarks);
QString sliderKnobImageName(bool tickMarks, bool pressed);
// 0.75 enabled, 0.2 disabled.
double sliderTrackOpacity(bool enabled);

QString checkboxImageName(bool on, bool highlighted);
QPointF checkboxImageOrigin(const QRectF &frame, const QSizeF &image);

QString popUpImageName(const QString &part, bool highlighted, bool pullDown);
QString buttonImageName(const QString &part, bool highlighted);
// The bezel's top: vertically centred on the frame and one point higher.
double buttonBezelY(const QRectF &frame, double fillHeight);

enum class Control {
    Checkbox,
    PopUp,
    Button,
};
// The title colour of a control.
QColor interiorColor(Control control, bool enabled);

} // namespace AppTheme::ThemeGeometry
