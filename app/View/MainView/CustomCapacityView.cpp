#include "app/View/MainView/CustomCapacityView.h"

#include <QPainter>
#include <QPainterPath>

CustomCapacityView::CustomCapacityView(QWidget *parent)
    : QWidget(parent)
{
    const auto stop = [](double at, QColor colour) {
        colour.setAlphaF(0.8);
        return QGradientStop(at, colour);
    };
    m_gradient = {stop(0.0, QColor(0, 255, 0)),
                  stop(0.33, QColor(255, 255, 0)),
                  stop(0.66, QColor(255, 128, 0)),
                  stop(1.0, QColor(255, 0, 0))};
    setMinimumSize(60, 16);
}

QRectF CustomCapacityView::contentRect() const
{
    return QRectF(rect()).adjusted(5.0, 4.0, -5.0, -4.0);
}

QRectF CustomCapacityView::trackRect() const
{
    return contentRect().adjusted(1.0, 2.0, -1.0, -2.0);
}

void CustomCapacityView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF content = contentRect();
    const QRectF track = trackRect();
    QPainterPath path;
    path.addRoundedRect(track, 2.0, 2.0);

    painter.setPen(QPen(QColor(Qt::gray), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.fillPath(path, QColor(0, 0, 0, qRound(0.7 * 255)));

    // The clip only uncovers the gradient, which always spans the whole track.
    const double fillWidth = double(m_capacityValue) * content.width();
    if (fillWidth <= 0)
        return;
    painter.save();
    painter.setClipRect(QRectF(content.left(), content.top(), fillWidth, content.height()));
    QLinearGradient gradient(track.topLeft(), track.topRight());
    gradient.setStops(m_gradient);
    painter.fillPath(path, gradient);
    painter.restore();
}
