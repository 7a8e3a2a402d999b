#pragma once

#include <QProxyStyle>

// The dark, image-drawn look of sliders, check boxes, pop-up buttons and push buttons: the
// three-part bezels and knobs of ThemeArt placed by ThemeGeometry, light titles in the
// interiorColor of each control, and the small control size. Set on the windows that want it
// (the preview); other widgets keep the base style.
//
// Main thread only, like every style.
class TransparentControlStyle : public QProxyStyle
{
public:
    TransparentControlStyle();

    void drawPrimitive(PrimitiveElement element,
                       const QStyleOption *option,
                       QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element,
                     const QStyleOption *option,
                     QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control,
                            const QStyleOptionComplex *option,
                            QPainter *painter,
                            const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control,
                         const QStyleOptionComplex *option,
                         SubControl subControl,
                         const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric,
                    const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};
