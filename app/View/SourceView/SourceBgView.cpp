#include "app/View/SourceView/SourceBgView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

SourceBgView::SourceBgView(QWidget *parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

bool SourceBgView::acceptsFileDrops() const
{
    if (!m_filesDropped || QApplication::activeModalWidget())
        return false;
    for (const QWidget *child : window()->findChildren<QWidget *>()) {
        if (child->isWindow() && child->isVisible() && child->windowModality() == Qt::WindowModal)
            return false;
    }
    return true;
}

void SourceBgView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(50, 50, 50));
    const int w = width();
    const int h = height();
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(w - 0.5, 0), QPointF(w - 0.5, h));
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.drawLine(QPointF(w - 1.5, 0), QPointF(w - 1.5, h));
}

void SourceBgView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && acceptsFileDrops())
        event->acceptProposedAction();
}

void SourceBgView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls() && acceptsFileDrops())
        event->acceptProposedAction();
    else
        event->ignore();
}

void SourceBgView::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty() || !acceptsFileDrops())
        return;
    event->acceptProposedAction();
    m_filesDropped(paths);
}
