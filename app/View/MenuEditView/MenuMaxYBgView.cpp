#include "app/View/MenuEditView/MenuMaxYBgView.h"

#include <QLinearGradient>
#include <QPainter>

MenuMaxYBgView::MenuMaxYBgView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("menuMaxYBgView"));
}

void MenuMaxYBgView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // From grey 0.14 at the bottom to 0.13 at the top.
    QLinearGradient gradient(0, height(), 0, 0);
    gradient.setColorAt(0, QColor::fromRgbF(0.14, 0.14, 0.14));
    gradient.setColorAt(1, QColor::fromRgbF(0.13, 0.13, 0.13));
    painter.fillRect(rect(), gradient);
    painter.setPen(Qt::black);
    painter.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
    painter.drawLine(QPointF(0, height() - 0.5), QPointF(width(), height() - 0.5));
}
