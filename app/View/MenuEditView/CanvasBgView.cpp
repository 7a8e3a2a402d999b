#include "app/View/MenuEditView/CanvasBgView.h"

#include "Platterkit/model/DLCustomDrawer.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Function/CanvasGeometry.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"
#include "app/View/MenuEditView/ShapeView.h"
#include "platform/MainThread.h"

#include <QPainter>
#include <QResizeEvent>
#include <limits>

namespace {

// The slideshow drawer reads the largest time as its first picture.
constexpr qint64 kCanvasTimeUs = std::numeric_limits<qint64>::max();

} // namespace

CanvasBgView::CanvasBgView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("canvasBgView"));
    setMinimumSize(200, 120);
    m_shapeView = new ShapeView(this);
    m_shapeView->setGeometry(rect());
    m_shapeView->lower();
    updateViewBoundsWhenMenuChange();
}

void CanvasBgView::setHost(MenuCanvasHost *host)
{
    m_host = host;
    m_shapeView->setHost(host);
    updateViewBoundsWhenMenuChange();
}

QRectF CanvasBgView::menuBgRect() const
{
    const DVDMenuRef page = m_host ? m_host->canvasPage() : nullptr;
    const QSizeF size = page && !page->menuSize().isEmpty() ? page->menuSize() : QSizeF(854, 480);
    return {QPointF(0, 0), size};
}

void CanvasBgView::updateViewBoundsWhenMenuChange()
{
    DW_ASSERT_MAIN_THREAD(return );
    removeOtherSubViews();
    m_transform = CanvasGeometry::menuTransform(menuBgRect().size(), QSizeF(size()));
    m_shapeView->setGeometry(rect());
    update();
    m_shapeView->update();
}

void CanvasBgView::removeOtherSubViews()
{
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child == m_shapeView || child->inherits("ItemControlView"))
            continue;
        child->deleteLater();
    }
}

void CanvasBgView::shapeViewDisplay()
{
    m_shapeView->update();
}

void CanvasBgView::redraw()
{
    ++m_redraws;
    update();
    m_shapeView->update();
}

void CanvasBgView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Refitting on resize keeps the whole page in view; the frames in menu space stay as they are.
    m_transform = CanvasGeometry::menuTransform(menuBgRect().size(), QSizeF(size()));
    m_shapeView->setGeometry(rect());
}

void CanvasBgView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0.16, 0.16, 0.16));
    const DVDMenuRef page = m_host ? m_host->canvasPage() : nullptr;
    m_shownPage = page;
    if (!page)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(m_transform);
    const QRectF pageRect = menuBgRect();
    painter.setClipRect(pageRect);
    painter.fillRect(pageRect, Qt::black);
    DLCustomDrawer *drawer = page->use_menu_drawer() ? page->customDrawer() : nullptr;
    if (drawer) {
        painter.save();
        drawer->drawInRectAtTime(&painter, pageRect, kCanvasTimeUs);
        painter.restore();
    } else if (!page->backgroundImage().isNull()) {
        page->drawBackgroundImageRect(&painter, page->backgroundImage(), pageRect);
    }
    for (const DVDMenuItemRef &item : m_host->sourceArrayForDraw())
        if (item)
            page->drawItemImage(&painter, item.get(), item->imageAtTime(kCanvasTimeUs));
}
