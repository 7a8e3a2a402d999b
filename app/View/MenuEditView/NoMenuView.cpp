#include "app/View/MenuEditView/NoMenuView.h"

#include <QDragEnterEvent>
#include <QMouseEvent>
#include <QPainter>

NoMenuView::NoMenuView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("noMenuView"));
    // Accepting drags lets the cover see them, so that it can refuse them.
    setAcceptDrops(true);
}

void NoMenuView::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), Qt::black);
}

void NoMenuView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NoMenuView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void NoMenuView::dragEnterEvent(QDragEnterEvent *event)
{
    // Taking the drag keeps it from the widgets beneath; every position then refuses it.
    event->accept();
}

void NoMenuView::dragMoveEvent(QDragMoveEvent *event)
{
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

void NoMenuView::dragLeaveEvent(QDragLeaveEvent *)
{
    update();
}

void NoMenuView::dropEvent(QDropEvent *event)
{
    event->ignore();
}
