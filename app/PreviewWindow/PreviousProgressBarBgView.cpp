#include "app/PreviewWindow/PreviousProgressBarBgView.h"

#include <QPaintEvent>
#include <QPainter>

void PreviousProgressBarBgView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0, 0, 0, 204));
}
