#include "app/AppTheme/ThemeGeometry.h"

#include <cmath>

namespace AppTheme::ThemeGeometry {

float nearest(float v)
{
    return std::round(v);
}

QRectF sliderBarRect(const QRectF &bar, double fillHeight, bool tickMarks)
{
    QRectF r = bar;
    if (r.height() > fillHeight)
        r.moveTop(r.y() + nearest(float((r.height() - fillHeight) * 0.5)));
    r = QRectF(r.x() + 2.0, r.y(), r.width() - 5.0, fillHeight);
    if (tickMarks) {
        r.moveTop(r.y() - 1.0);
        r.setWidth(r.width() + 1.0);
    }
    return r;
}

QRectF sliderKnobRect(const QRectF &knob, bool tickMarks)
{
    if (!tickMarks)
        return knob;
    return QRectF(knob.x(), knob.y() + 2.0, knob.width(), knob.height() + 2.0);
}

QPointF sliderKnobImageOrigin(const QRectF &knob, const QSizeF &image, bool tickMarks)
{
    double x = knob.x() + nearest(float((knob.width() - image.width()) / 2)) - 1.0;
    double y = nearest(float((knob.height() - image.height()) / 2)) - 1.0;
    if (tickMarks) {
        x += 1.0;
        y += 1.0;
    }
    return QPointF(x, y);
}

QString sliderKnobImageName(bool tickMarks, bool pressed)
{
    return QStringLiteral("TransparentSlider%1Thumb%2.tiff")
        .arg(tickMarks ? QStringLiteral("Triangle") : QString(),
             pressed ? QStringLiteral("P") : QStringLiteral("N"));
}

double sliderTrackOpacity(bool enabled)
{
    return enabled ? 0.75 : 0.2;
}

QString checkboxImageName(bool on, bool highlighted)
{
    return QStringLiteral("TransparentCheckbox%1%2")
        .arg(on ? QStringLiteral("On") : QStringLiteral("Off"),
             highlighted ? QStringLiteral("P") : QStringLiteral("N"));
}

QPointF checkboxImageOrigin(const QRectF &frame, const QSizeF &image)
{
    // The platform measures from the bottom; in y-down coordinates this is the same centring.
    const double fromBottom
        = nearest(float(frame.y() + frame.height() - (frame.height() - image.height()) / 2 - 15.0));
    return QPointF(frame.x() + 1.0, fromBottom);
}

QString popUpImageName(const QString &part, bool highlighted, bool pullDown)
{
    const QString state = highlighted ? QStringLiteral("P") : QStringLiteral("N");
    if (part == QLatin1String("Right") && pullDown)
        return QStringLiteral("TransparentPopUpPullDownRight") + state;
    return QStringLiteral("TransparentPopUp") + part + state;
}

QString buttonImageName(const QString &part, bool highlighted)
{
    return QStringLiteral("TransparentButton") + part
           + (highlighted ? QStringLiteral("P") : QStringLiteral("N"));
}

double buttonBezelY(const QRectF &frame, double fillHeight)
{
    return frame.y() + (frame.height() - fillHeight) * 0.5 - 1.0;
}

QColor interiorColor(Control control, bool enabled)
{
    if (enabled) {
        QColor white(255, 255, 255);
        if (control == Control::Checkbox)
            white.setAlphaF(0.95f);
        return white;
    }
    if (control == Control::PopUp) {
        QColor white(255, 255, 255);
        white.setAlphaF(0.6f);
        return white;
    }
    return QColor::fromRgbF(0.6f, 0.6f, 0.6f, 1.0f);
}

} // namespace AppTheme::ThemeGeometry
