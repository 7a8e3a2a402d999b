#include "app/AppTheme/TransparentControlStyle.h"

#include "app/AppTheme/ThemeArt.h"
#include "app/AppTheme/ThemeGeometry.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

using namespace AppTheme;
using ThemeGeometry::Control;

namespace {

// A three-part picture (left cap, fill, right cap) across rect at the fill's height.
void drawThreePart(QPainter *painter,
                   const QImage &left,
                   const QImage &fill,
                   const QImage &right,
                   const QRectF &rect,
                   double opacity)
{
    if (left.isNull() || fill.isNull() || right.isNull())
        return;
    painter->save();
    painter->setOpacity(painter->opacity() * opacity);
    const double h = fill.height();
    painter->drawImage(QRectF(rect.x(), rect.y(), left.width(), h), left);
    const double fillWidth = rect.width() - left.width() - right.width();
    if (fillWidth > 0)
        painter->drawImage(QRectF(rect.x() + left.width(), rect.y(), fillWidth, h), fill);
    painter->drawImage(QRectF(rect.right() - right.width(), rect.y(), right.width(), h), right);
    painter->restore();
}

bool isEnabled(const QStyleOption *option)
{
    return option->state & QStyle::State_Enabled;
}

bool isHighlighted(const QStyleOption *option)
{
    return option->state & QStyle::State_Sunken;
}

} // namespace

TransparentControlStyle::TransparentControlStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{}

int TransparentControlStyle::pixelMetric(PixelMetric metric,
                                         const QStyleOption *option,
                                         const QWidget *widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return 14;
    case PM_SliderThickness:
        return 21;
    case PM_SliderLength:
        return 15;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void TransparentControlStyle::drawPrimitive(PrimitiveElement element,
                                            const QStyleOption *option,
                                            QPainter *painter,
                                            const QWidget *widget) const
{
    if (element == PE_IndicatorCheckBox) {
        const QImage image = ThemeArt::imageNamed(
            ThemeGeometry::checkboxImageName(option->state & State_On, isHighlighted(option)));
        painter->save();
        painter->setOpacity(isEnabled(option) ? 1.0 : 0.6);
        const QRectF frame(option->rect);
        painter->drawImage(
            QPointF(frame.x() + 1.0,
                    frame.y()
                        + ThemeGeometry::nearest(float((frame.height() - image.height()) / 2))),
            image);
        painter->restore();
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TransparentControlStyle::drawControl(ControlElement element,
                                          const QStyleOption *option,
                                          QPainter *painter,
                                          const QWidget *widget) const
{
    const bool enabled = isEnabled(option);
    if (element == CE_PushButtonBevel) {
        const bool down = option->state & (State_Sunken | State_On);
        // A flat (icon) button shows its bezel only while pressed.
        if (auto button = qstyleoption_cast<const QStyleOptionButton *>(option))
            if ((button->features & QStyleOptionButton::Flat) && !down)
                return;
        const QImage fill = ThemeArt::imageNamed(ThemeGeometry::buttonImageName("Fill", down));
        const QRectF frame(option->rect);
        drawThreePart(painter,
                      ThemeArt::imageNamed(ThemeGeometry::buttonImageName("Left", down)),
                      fill,
                      ThemeArt::imageNamed(ThemeGeometry::buttonImageName("Right", down)),
                      QRectF(frame.x(),
                             ThemeGeometry::buttonBezelY(frame, fill.height()),
                             frame.width(),
                             fill.height()),
                      1.0);
        return;
    }
    if (element == CE_PushButtonLabel || element == CE_CheckBoxLabel
        || element == CE_ComboBoxLabel) {
        const Control control = element == CE_PushButtonLabel ? Control::Button
                                : element == CE_CheckBoxLabel ? Control::Checkbox
                                                              : Control::PopUp;
        const QColor colour = ThemeGeometry::interiorColor(control, enabled);
        const auto recolour = [&](QStyleOption &copy) {
            for (auto role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
                for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                    copy.palette.setColor(group, role, colour);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        };
        if (auto button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
            QStyleOptionButton copy(*button);
            recolour(copy);
            return;
        }
        if (auto combo = qstyleoption_cast<const QStyleOptionComboBox *>(option)) {
            QStyleOptionComboBox copy(*combo);
            recolour(copy);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QRect TransparentControlStyle::subControlRect(ComplexControl control,
                                              const QStyleOptionComplex *option,
                                              SubControl subControl,
                                              const QWidget *widget) const
{
    QRect r = QProxyStyle::subControlRect(control, option, subControl, widget);
    if (control == CC_Slider && subControl == SC_SliderHandle) {
        if (auto slider = qstyleoption_cast<const QStyleOptionSlider *>(option)) {
            const bool ticks = slider->tickPosition != QSlider::NoTicks;
            return ThemeGeometry::sliderKnobRect(QRectF(r), ticks).toRect();
        }
    }
    return r;
}

void TransparentControlStyle::drawComplexControl(ComplexControl control,
                                                 const QStyleOptionComplex *option,
                                                 QPainter *painter,
                                                 const QWidget *widget) const
{
    const bool enabled = isEnabled(option);
    if (control == CC_Slider) {
        const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (!slider || slider->orientation != Qt::Horizontal) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const bool ticks = slider->tickPosition != QSlider::NoTicks;
        const QImage fill = ThemeArt::imageNamed("TransparentSliderTrackFill.tiff");
        const QRectF bar = ThemeGeometry::sliderBarRect(QRectF(slider->rect), fill.height(), ticks);
        drawThreePart(painter,
                      ThemeArt::imageNamed("TransparentSliderTrackLeft.tiff"),
                      fill,
                      ThemeArt::imageNamed("TransparentSliderTrackRight.tiff"),
                      bar,
                      ThemeGeometry::sliderTrackOpacity(enabled));
        if (ticks) {
            const int interval
                = slider->tickInterval > 0 ? slider->tickInterval : std::max(1, slider->pageStep);
            const int span = slider->maximum - slider->minimum;
            for (int v = slider->minimum; span > 0 && v <= slider->maximum; v += interval) {
                const double x = bar.x() + double(v - slider->minimum) / span * (bar.width() - 1);
                painter->fillRect(QRectF(x, bar.bottom() + 2, 1, 4), Qt::white);
            }
        }
        const QRectF knob(subControlRect(CC_Slider, slider, SC_SliderHandle, widget));
        const QImage image = ThemeArt::imageNamed(
            ThemeGeometry::sliderKnobImageName(ticks, slider->state & State_Sunken));
        painter->drawImage(ThemeGeometry::sliderKnobImageOrigin(knob, QSizeF(image.size()), ticks)
                               + QPointF(0, slider->rect.y()),
                           image);
        return;
    }
    if (control == CC_ComboBox) {
        const bool down = option->state & State_Sunken;
        const auto *combo = qstyleoption_cast<const QStyleOptionComboBox *>(option);
        const bool pullDown = combo && !combo->editable && combo->currentText.isEmpty();
        const QImage fill
            = ThemeArt::imageNamed(ThemeGeometry::popUpImageName("Fill", down, pullDown));
        drawThreePart(
            painter,
            ThemeArt::imageNamed(ThemeGeometry::popUpImageName("Left", down, pullDown)),
            fill,
            ThemeArt::imageNamed(ThemeGeometry::popUpImageName("Right", down, pullDown)),
            QRectF(option->rect.x(), option->rect.y(), option->rect.width(), fill.height()),
            1.0);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}
