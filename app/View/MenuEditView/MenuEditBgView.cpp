#include "app/View/MenuEditView/MenuEditBgView.h"

#include <QPainter>

MenuEditBgView::MenuEditBgView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("menuEditBgView"));
}

void MenuEditBgView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(40 / 255.0, 40 / 255.0, 40 / 255.0));
    const int bottom = height() - 1;
    painter.setPen(QColor::fromRgbF(0.34, 0.34, 0.34));
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(Qt::black);
    painter.drawLine(0, bottom, width() - 1, bottom);
}
