#include "app/View/MainView/MenuPageStillView.h"

#include <QPainter>

MenuPageStillView::MenuPageStillView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(260, 150);
}

void MenuPageStillView::setImage(const QImage &image)
{
    m_image = image;
    ++m_imageCount;
    update();
}

QRect MenuPageStillView::imageRect() const
{
    if (m_image.isNull())
        return {};
    const QSize fitted = m_image.size().scaled(size() - QSize(8, 8), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void MenuPageStillView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(40, 40, 44));
    if (m_image.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(imageRect(), m_image);
}
