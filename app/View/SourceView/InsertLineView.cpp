#include "app/View/SourceView/InsertLineView.h"

#include <QPainter>

InsertLineView::InsertLineView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void InsertLineView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor green(Qt::green);
    green.setAlphaF(0.7f);
    painter.setPen(QPen(green, 2));
    const QRectF content = contentRect();
    const double y = content.center().y();
    painter.drawLine(QPointF(content.left(), y), QPointF(content.right() + 1, y));
}
