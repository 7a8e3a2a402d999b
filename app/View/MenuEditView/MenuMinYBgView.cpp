#include "app/View/MenuEditView/MenuMinYBgView.h"

#include <QPainter>

MenuMinYBgView::MenuMinYBgView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("menuMinYBgView"));
}

void MenuMinYBgView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(45 / 255.0, 45 / 255.0, 45 / 255.0));
    painter.setPen(Qt::black);
    painter.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
    painter.setPen(QColor::fromRgbF(55 / 255.0, 55 / 255.0, 55 / 255.0));
    painter.drawLine(QPointF(0, 1.5), QPointF(width(), 1.5));
}
