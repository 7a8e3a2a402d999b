#pragma once

// The capacity gauge of the main window: a dark rounded track whose fill uncovers, from the left,
// a gradient that runs from green through yellow and orange to red across the whole track, so the
// colour at the tip tells how full the disc is. The main window controller sets the fraction and
// asks for the redraw; the gauge only draws. Main thread.

#include <QLinearGradient>
#include <QRectF>
#include <QWidget>

class CustomCapacityView : public QWidget
{
    Q_OBJECT
public:
    explicit CustomCapacityView(QWidget *parent = nullptr);

    // The fraction of the disc used: 0 empty, 1 full, above 1 when the project does not fit.
    // Setting it does not redraw.
    float capacityValue() const { return m_capacityValue; }
    void setCapacityValue(float value) { m_capacityValue = value; }
    // The gradient's colour stops (positions 0 to 1 across the track).
    QGradientStops gradient() const { return m_gradient; }
    void setGradient(const QGradientStops &stops) { m_gradient = stops; }

    // The bounds inset by 5 points left and right and 4 top and bottom.
    QRectF contentRect() const;
    // The outlined track inside contentRect.
    QRectF trackRect() const;

    QSize sizeHint() const override { return {240, 22}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    float m_capacityValue = 0;
    QGradientStops m_gradient;
};
