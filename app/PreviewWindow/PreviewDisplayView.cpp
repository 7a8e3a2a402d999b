#include "app/PreviewWindow/PreviewDisplayView.h"

#include "Reelsmith/imaging/Renderer.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/production/DVDPlayer.h"

#include <QMouseEvent>
#include <QPainter>

PreviewDisplayView::PreviewDisplayView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("displayView"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRectF PreviewDisplayView::pictureRect(const QSizeF &frameSize, const QRectF &bounds)
{
    if (frameSize.isEmpty())
        return QRectF();
    return CommonFunction::scaleRectIn(QRectF(QPointF(0, 0), frameSize), bounds);
}

std::optional<QPointF> PreviewDisplayView::fractionOfPoint(QPointF point, const QRectF &picture)
{
    if (picture.isEmpty() || point.x() < picture.left() || point.x() > picture.right()
        || point.y() < picture.top() || point.y() > picture.bottom())
        return std::nullopt;
    return QPointF((point.x() - picture.left()) / picture.width(),
                   (picture.bottom() - point.y()) / picture.height());
}

QImage PreviewDisplayView::currentFrame() const
{
    if (!m_player) {
        m_renderedNode = nullptr;
        m_rendered = QImage();
        return QImage();
    }
    const Reelsmith::imaging::Image frame = m_player->currentFrameImage();
    if (frame.isNull())
        return QImage();
    if (m_renderedNode && frame.node().get() == m_renderedNode.get())
        return m_rendered;
    const QRect extent = frame.extent().rect().toAlignedRect();
    m_rendered = extent.isEmpty() ? QImage() : Reelsmith::imaging::renderToImage(frame, extent);
    m_renderedNode = frame.node();
    return m_rendered;
}

QImage PreviewDisplayView::getDVDHighlightImage() const
{
    return m_player ? m_player->getDVDHighlightImage() : QImage();
}

std::optional<QPointF> PreviewDisplayView::fractionInPicture(QPointF point) const
{
    const QImage frame = currentFrame();
    return fractionOfPoint(point, pictureRect(QSizeF(frame.size()), QRectF(rect())));
}

void PreviewDisplayView::moveAtPoint(QPointF point)
{
    if (!m_player)
        return;
    if (const auto fraction = fractionInPicture(point)) {
        m_player->moveAtPoint(*fraction);
        update();
    }
}

void PreviewDisplayView::clickPoint(QPointF point)
{
    if (!m_player)
        return;
    if (const auto fraction = fractionInPicture(point)) {
        m_player->clickPoint(*fraction);
        update();
    }
}

void PreviewDisplayView::mouseMoveEvent(QMouseEvent *event)
{
    moveAtPoint(event->position());
}

void PreviewDisplayView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        clickPoint(event->position());
}

void PreviewDisplayView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(35, 35, 35));
    const QImage frame = currentFrame();
    if (frame.isNull())
        return;
    const QRectF target = pictureRect(QSizeF(frame.size()), QRectF(rect()));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
    const QImage highlight = getDVDHighlightImage();
    if (!highlight.isNull())
        painter.drawImage(target, highlight);
}
