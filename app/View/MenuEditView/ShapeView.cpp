#include "app/View/MenuEditView/ShapeView.h"

#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/CanvasClamp.h"
#include "app/AppExtention/Function/RectGeometry.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"
#include "platform/GeometryText.h"
#include "platform/MainThread.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

using namespace CanvasGeometry;

namespace {

const QString kOldFrame = QStringLiteral("OldFrame");
const QString kMenuItem = QStringLiteral("MenuItem");

bool isStatic(const DVDMenuItemRef &item)
{
    return item && DVDMenuItemExtention::isStaticText(*item);
}

DVDMenuItemRef itemOf(const QVariantMap &entry)
{
    return entry.value(kMenuItem).value<DVDMenuItemRef>();
}

} // namespace

ShapeView::ShapeView(CanvasBgView *canvas)
    : QWidget(canvas)
    , m_canvas(canvas)
    , m_dragD(ApplicationImage::imageNamed(QStringLiteral("CropDrag2")))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::ClickFocus);
    setObjectName(QStringLiteral("shapeView"));
    m_guideTimer.setSingleShot(true);
    m_guideTimer.setInterval(100);
    connect(&m_guideTimer, &QTimer::timeout, this, &ShapeView::clearKeyForDrawLine);
    // Seconds since the platform's reference date, 1 January 2001.
    m_clock = [] { return QDateTime::currentMSecsSinceEpoch() / 1000.0 - 978307200.0; };
}

double ShapeView::now() const
{
    return m_clock();
}

QPointF ShapeView::menuPoint(QPointF widgetPoint) const
{
    return m_canvas->menuTransform().inverted().map(widgetPoint);
}

QRectF ShapeView::menuBgRect() const
{
    return m_canvas->menuBgRect();
}

// --- Selection -------------------------------------------------------------------------------------

void ShapeView::setSelectedItemArray(const DVDMenuItemList &items)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_selectedItemArray = items;
    update();
}

void ShapeView::removeSelectedItemsNotShown()
{
    const DVDMenuItemList shown = itemsArray();
    const qsizetype before = m_selectedItemArray.size();
    m_selectedItemArray.removeIf([&](const DVDMenuItemRef &item) { return !shown.contains(item); });
    if (m_selectedItemArray.size() != before)
        selectionDidChange();
}

DVDMenuItemList ShapeView::itemsArray() const
{
    return m_host ? m_host->sourceArray() : DVDMenuItemList();
}

DVDMenuItemRef ShapeView::textItem() const
{
    for (const DVDMenuItemRef &item : m_selectedItemArray)
        if (item && item->isTextItem())
            return m_selectedItemArray.first();
    return nullptr;
}

bool ShapeView::isSelectedItemAllText() const
{
    return std::all_of(m_selectedItemArray.begin(), m_selectedItemArray.end(), isStatic);
}

DVDMenuItemList ShapeView::selectedNoTextArray() const
{
    DVDMenuItemList list;
    for (const DVDMenuItemRef &item : m_selectedItemArray)
        if (!isStatic(item))
            list << item;
    return list;
}

DVDMenuItemList ShapeView::motionLessItemArray() const
{
    DVDMenuItemList list;
    for (const DVDMenuItemRef &item : itemsArray())
        if (!m_selectedItemArray.contains(item) && !isStatic(item))
            list << item;
    return list;
}

TempEditDataRef ShapeView::tempDvdDataWithItem(const DVDMenuItemRef &item) const
{
    if (!m_host || !item)
        return nullptr;
    for (const TempEditDataRef &record : m_host->canvasStyleRecords())
        if (record && record->currentMedia() == item)
            return record;
    return nullptr;
}

void ShapeView::selectionDidChange()
{
    if (m_host)
        m_host->shapeViewSelectionUpdate();
    emit selectionChanged();
    update();
}

// --- Hit tests -------------------------------------------------------------------------------------

unsigned ShapeView::pointHitDragType(QPointF point)
{
    QList<SelectedFrame> frames;
    for (const DVDMenuItemRef &item : m_selectedItemArray)
        frames << SelectedFrame{item ? item->frame() : QRectF(), isStatic(item)};
    const HandleHit hit = CanvasGeometry::pointHitDragType(point, frames);
    if (hit.index < 0)
        return DragNone;
    if (isCorner(hit.type)) {
        const DVDMenuItemRef item = m_selectedItemArray.at(hit.index);
        m_selectedItemArray = {item};
        // The resize mode follows the item whose corner was pressed, not an earlier hit.
        m_mouseHitItem = item;
    }
    return hit.type;
}

bool ShapeView::isMouseHitMedia(QPointF point)
{
    DVDMenuItemRef hit;
    const DVDMenuItemList texts = m_host ? m_host->textItemArray() : DVDMenuItemList();
    QList<QRectF> frames;
    for (const DVDMenuItemRef &item : texts)
        frames << (item ? item->frame() : QRectF());
    int index = firstHitIndex(point, frames);
    if (index >= 0) {
        hit = texts.at(index);
    } else {
        const DVDMenuItemList items = itemsArray();
        frames.clear();
        for (const DVDMenuItemRef &item : items)
            frames << (item ? item->frame() : QRectF());
        index = lastHitIndex(point, frames);
        if (index >= 0)
            hit = items.at(index);
    }
    if (hit) {
        m_mouseHitItem = hit;
        if (!m_selectedItemArray.contains(hit))
            m_selectedItemArray = {hit};
    } else {
        m_selectedItemArray.clear();
        setFocus(Qt::MouseFocusReason);
    }
    selectionDidChange();
    return bool(hit);
}

void ShapeView::mouseDownWithCommand(QPointF point)
{
    const DVDMenuItemList items = itemsArray();
    QList<QRectF> frames;
    for (const DVDMenuItemRef &item : items)
        frames << (item ? item->frame() : QRectF());
    const int index = firstHitIndex(point, frames);
    if (index >= 0) {
        const DVDMenuItemRef item = items.at(index);
        if (m_selectedItemArray.contains(item))
            m_selectedItemArray.removeAll(item);
        else
            m_selectedItemArray << item;
    }
    selectionDidChange();
}

// --- Resizing and clamping ---------------------------------------------------------------------------

bool ShapeView::p_isKeepProportion() const
{
    const DVDMenuItemRef item = m_mouseHitItem.lock();
    if (!item)
        return true;
    const TempEditDataRef record = tempDvdDataWithItem(item);
    return !(record && record->titleUseType() == 0 && !record->titleFrameProportion());
}

QRectF ShapeView::doDragAction(unsigned type, QPointF from, QPointF to, const QRectF &rect) const
{
    if (!isCorner(type))
        return rect.translated(to - from);
    const QRectF old
        = m_oldSelectedItemRects.isEmpty()
              ? QRectF()
              : platform::rectFromString(m_oldSelectedItemRects.last().value(kOldFrame).toString());
    return resizeKeepProportion(type, to - from, old, m_oldMinScale, m_oldMaxScale);
}

QRectF
ShapeView::doDragActionNotKeep(unsigned type, QPointF from, QPointF to, const QRectF &rect) const
{
    if (!isCorner(type))
        return rect.translated(to - from);
    const QRectF old
        = m_oldSelectedItemRects.isEmpty()
              ? QRectF()
              : platform::rectFromString(m_oldSelectedItemRects.last().value(kOldFrame).toString());
    return resizeFree(type, to - from, old, menuBgRect());
}

QRectF ShapeView::getValidSelectedNoTextItemRect() const
{
    QList<QRectF> frames;
    for (const DVDMenuItemRef &item : m_selectedItemArray)
        frames << (item ? item->frame() : QRectF());
    return boundingRect(frames);
}

QRectF ShapeView::boundInCanvasLimit(const QRectF &rect) const
{
    return CanvasClamp::boundInCanvasLimit(rect, menuBgRect());
}

QList<QRectF> ShapeView::otherFrames() const
{
    QList<QRectF> frames;
    for (const DVDMenuItemRef &item : itemsArray())
        if (item && !m_selectedItemArray.contains(item))
            frames << item->frame();
    return frames;
}

void ShapeView::applyGuides(const Guides &guides)
{
    if (!guides.touched)
        return;
    m_drawMediaLine = guides.vertical.on;
    if (guides.vertical.on) {
        m_mediaPoint1 = guides.vertical.point1;
        m_mediaPoint2 = guides.vertical.point2;
    }
    m_drawMediaHLine = guides.horizontal.on;
    if (guides.horizontal.on) {
        m_mediaHPoint1 = guides.horizontal.point1;
        m_mediaHPoint2 = guides.horizontal.point2;
    }
}

QRectF ShapeView::checkForDrawAuxiliaryLine(const QRectF &candidate)
{
    const SnapResult snap
        = CanvasGeometry::checkForDrawAuxiliaryLine(candidate, otherFrames(), menuBgRect());
    applyGuides(snap.guides);
    return snap.frame;
}

void ShapeView::checkForDrawAuxiliaryLineForKeyEvent(const QRectF &frame)
{
    applyGuides(CanvasGeometry::checkForDrawAuxiliaryLineForKeyEvent(frame, otherFrames()));
    if (m_drawMediaLine || m_drawMediaHLine) {
        m_keyForDrawLine = true;
        m_jiangeTime = now();
    }
}

void ShapeView::clearKeyForDrawLine()
{
    if (now() - m_jiangeTime > 1.0) {
        m_keyForDrawLine = false;
        m_drawMediaHLine = false;
        m_drawMediaLine = false;
    } else {
        m_guideTimer.start();
    }
    update();
}

// --- Mouse -----------------------------------------------------------------------------------------

void ShapeView::snapshotSelection()
{
    m_oldSelectedItemRects.clear();
    for (const DVDMenuItemRef &item : m_selectedItemArray)
        m_oldSelectedItemRects << QVariantMap{
            {kOldFrame, platform::stringFromRect(item ? item->frame() : QRectF())},
            {kMenuItem, QVariant::fromValue(item)}};
}

QRectF ShapeView::oldFrameOf(const DVDMenuItemRef &item) const
{
    for (const QVariantMap &entry : m_oldSelectedItemRects)
        if (itemOf(entry) == item)
            return platform::rectFromString(entry.value(kOldFrame).toString());
    return item ? item->frame() : QRectF();
}

void ShapeView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_host) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_host->canvasPressed();
    setFocus(Qt::MouseFocusReason);
    const QPointF point = menuPoint(event->position());
    if (event->modifiers() & Qt::ControlModifier)
        mouseDownWithCommand(point);
    else
        mouseDownWithNoCommand(point);
}

void ShapeView::mouseDownWithNoCommand(QPointF point)
{
    m_tracking = Tracking::None;
    m_pressPoint = point;
    unsigned type = pointHitDragType(point);
    const bool hit = isCorner(type) || isMouseHitMedia(point);
    if (!hit) {
        m_tracking = Tracking::Band;
        return;
    }
    type = pointHitDragType(point);
    selectionDidChange();
    if (type == DragNone)
        return;
    snapshotSelection();
    m_pressBounds = getValidSelectedNoTextItemRect();
    if (isCorner(type) && !m_selectedItemArray.isEmpty()) {
        const QRectF frame = m_selectedItemArray.last()->frame();
        m_oldMinScale = getMinZoomWithMedia(frame);
        m_oldMaxScale = getMaxZoomWithMedia(frame, menuBgRect());
    }
    m_dragType = type;
    m_tracking = Tracking::Drag;
}

void ShapeView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPointF point = menuPoint(event->position());
    if (m_tracking == Tracking::Drag)
        dragTo(point);
    else if (m_tracking == Tracking::Band)
        bandTo(point);
}

void ShapeView::dragTo(QPointF point)
{
    QRectF next = p_isKeepProportion()
                      ? doDragAction(m_dragType, m_pressPoint, point, m_pressBounds)
                      : doDragActionNotKeep(m_dragType, m_pressPoint, point, m_pressBounds);
    next = boundInCanvasLimit(next);
    const bool one = m_selectedItemArray.size() == 1;
    for (const DVDMenuItemRef &item : m_selectedItemArray) {
        if (!item)
            continue;
        if (isCorner(m_dragType)) {
            m_host->setCanvasItemFrame(item, next);
            if (const TempEditDataRef record = tempDvdDataWithItem(item))
                record->updateItemRound();
        } else {
            const QPointF d = next.topLeft() - m_pressBounds.topLeft();
            const QRectF moved = oldFrameOf(item).translated(d);
            m_host->setCanvasItemFrame(item, one ? checkForDrawAuxiliaryLine(moved) : moved);
        }
    }
    selectionDidChange();
}

void ShapeView::bandTo(QPointF point)
{
    m_selectionRect = Discwright::RectGeometry::rectForPointOther(m_pressPoint, point);
    for (const DVDMenuItemRef &item : itemsArray()) {
        if (!item)
            continue;
        if (!bandSelects(m_selectionRect, item->frame()))
            m_selectedItemArray.removeAll(item);
        else if (!m_selectedItemArray.contains(item))
            m_selectedItemArray << item;
    }
    selectionDidChange();
}

void ShapeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Tracking was = m_tracking;
    m_tracking = Tracking::None;
    if (was == Tracking::Drag) {
        m_drawMediaLine = false;
        m_drawMediaHLine = false;
        selectionDidChange();
        m_host->canvasDidEdit();
    } else if (was == Tracking::Band) {
        m_selectionRect = QRectF();
        update();
    }
}

// --- Keyboard ----------------------------------------------------------------------------------------

void ShapeView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        moveUp();
        break;
    case Qt::Key_Down:
        moveDown();
        break;
    case Qt::Key_Left:
        moveLeft();
        break;
    case Qt::Key_Right:
        moveRight();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ShapeView::nudge(QPointF step)
{
    if (!m_host)
        return;
    snapshotSelection();
    const QRectF bounds = getValidSelectedNoTextItemRect();
    m_keyMoveRects.clear();
    for (const DVDMenuItemRef &item : m_selectedItemArray)
        if (item && !isStatic(item))
            m_keyMoveRects << platform::stringFromRect(item->frame().translated(step));
    const QPointF offset = nudgeOffset(bounds, step, menuBgRect());
    for (const DVDMenuItemRef &item : m_selectedItemArray) {
        if (!item)
            continue;
        const QRectF frame = oldFrameOf(item).translated(offset);
        m_host->setCanvasItemFrame(item, frame);
        if (isSelectedOne())
            checkForDrawAuxiliaryLineForKeyEvent(frame);
    }
    update();
    m_host->shapeViewSelectionUpdate();
    m_canvas->update();
    m_host->canvasDidEdit();
}

// --- Drops and add-frame mode: their state, drawn here --------------------------------------------

void ShapeView::setDraggedInItem(const DVDMenuItemRef &item)
{
    m_draggedInItem = item;
    update();
}

void ShapeView::setAddFrame(bool show, const QRectF &rect)
{
    m_showAddFrameRect = show;
    m_addFrameRect = rect;
    update();
}

// --- Overlay -----------------------------------------------------------------------------------------

void ShapeView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(m_canvas->menuTransform());
    painter.setBrush(Qt::NoBrush);

    if (!m_selectionRect.isNull()) {
        painter.setPen(QPen(Qt::red, 1.0));
        painter.drawRect(m_selectionRect);
    }
    const bool grey = m_host && m_host->firstResponderInSource();
    const QColor outline = grey ? QColor::fromRgbF(0.5, 0.5, 0.5) : QColor::fromRgbF(1, 0.5, 0);
    for (const DVDMenuItemRef &item : m_selectedItemArray) {
        if (!item)
            continue;
        const QRectF f = item->frame();
        painter.setPen(QPen(outline, 3.0));
        painter.drawRect(f.adjusted(-kHandleOutset, -kHandleOutset, kHandleOutset, kHandleOutset));
        if (!item->isTextItem() && !m_dragD.isNull())
            for (unsigned type = DragUpperLeft; type <= DragLowerRight; ++type)
                painter.drawImage(makeRectForDragType(type, f), m_dragD);
    }
    if (const DVDMenuItemRef target = m_draggedInItem.lock()) {
        painter.setPen(QPen(Qt::green, 2.0));
        painter.drawRect(target->frame());
    }
    if (m_showAddFrameRect && m_host) {
        const QImage picture = m_host->aNewTitleFrameImage();
        if (!picture.isNull())
            painter.drawImage(m_addFrameRect, picture);
    }
    // The guides: yellow, dashed 6 on, 3 off.
    QPen guide(QColor::fromRgbF(1, 1, 0, 0.8), 2.0);
    guide.setDashPattern({6.0 / 2.0, 3.0 / 2.0});
    painter.setPen(guide);
    if (m_drawMediaLine)
        painter.drawLine(m_mediaPoint1, m_mediaPoint2);
    if (m_drawMediaHLine)
        painter.drawLine(m_mediaHPoint1, m_mediaHPoint2);
    if (m_keyForDrawLine && !m_guideTimer.isActive())
        m_guideTimer.start();
}
