#include "app/videoeditor/View/COMVEProgressBarView.h"

#include "app/AppExtention/Function/ApplicationImage.h"
#include "platform/MainThread.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

using namespace COMVEProgressBarGeometry;

namespace {

QSizeF sizeOr(const QImage &image, QSizeF fallback)
{
    return image.isNull() ? fallback : QSizeF(image.size());
}

// A picture stretched into rect, or a plain fill where the resources hold none.
void drawPicture(QPainter &painter, const QImage &image, const QRectF &rect, const QColor &fill)
{
    if (rect.isEmpty())
        return;
    if (image.isNull())
        painter.fillRect(rect, fill);
    else
        painter.drawImage(rect, image);
}

} // namespace

COMVEProgressBarView::COMVEProgressBarView(QWidget *parent)
    : QWidget(parent)
    , m_backImage(ApplicationImage::imageNamed("ve_playProgressBack"))
    , m_leftTrimImage(ApplicationImage::imageNamed("ve_trim_left"))
    , m_rightTrimImage(ApplicationImage::imageNamed("ve_trim_right"))
    , m_trimSelectImage(ApplicationImage::imageNamed("ve_trim_select"))
    , m_trimNotSelectImage(ApplicationImage::imageNamed("ve_trim_not_select"))
    , m_knobImage(ApplicationImage::imageNamed("ve_playProgressBtn"))
{
    setObjectName("playerProgressBarView");
    setMinimumHeight(60);
}

Layout COMVEProgressBarView::layout() const
{
    Layout layout;
    layout.bounds = QRectF(0, 0, width(), height());
    layout.durationUs = m_duration;
    layout.stripHeight = sizeOr(m_backImage, QSizeF(1, 10)).height();
    layout.leftHandleSize = sizeOr(m_leftTrimImage, QSizeF(8, 12));
    layout.rightHandleSize = sizeOr(m_rightTrimImage, QSizeF(8, 12));
    return layout;
}

QPointF COMVEProgressBarView::toModel(QPointF widgetPoint) const
{
    return QPointF(widgetPoint.x(), height() - widgetPoint.y());
}

QPoint COMVEProgressBarView::timeToWidgetPoint(int64_t t) const
{
    const Layout l = layout();
    return QPoint(qRound(l.timeToPoint(t)), qRound(height() - l.middleY()));
}

QPoint COMVEProgressBarView::leftHandlePoint(int trimIndex) const
{
    const MovieTrimItemList list = trims();
    const Layout l = layout();
    const QRectF handle = l.leftTrimButtonRect(l.timeToPoint(list.value(trimIndex)->startTime()));
    const double y = (handle.top() + std::min(handle.bottom(), l.stripZone().top())) / 2.0;
    return QPoint(qRound(handle.center().x()), qRound(height() - y));
}

QPoint COMVEProgressBarView::rightHandlePoint(int trimIndex) const
{
    const MovieTrimItemList list = trims();
    const Layout l = layout();
    const QRectF handle = l.rightTrimButtonRect(l.timeToPoint(list.value(trimIndex)->stopTime()));
    const double y = (handle.top() + std::min(handle.bottom(), l.stripZone().top())) / 2.0;
    return QPoint(qRound(handle.center().x()), qRound(height() - y));
}

MovieTrimItemList COMVEProgressBarView::trims() const
{
    return m_delegate ? m_delegate->trimArray() : MovieTrimItemList{};
}

void COMVEProgressBarView::seek(int64_t t)
{
    if (m_delegate)
        m_delegate->seek(t);
}

void COMVEProgressBarView::addTrimAction()
{
    DW_ASSERT_MAIN_THREAD();
    if (!m_delegate)
        return;
    if (const auto added = addTrim(trims(), m_currentTime)) {
        m_selectedTrimIndex = added->selectedTrimIndex;
        m_delegate->setTrimArray(added->trims);
        m_delegate->flushProgressTimeLabel();
    }
    update();
}

void COMVEProgressBarView::deleteSelectedTrimAction()
{
    DW_ASSERT_MAIN_THREAD();
    if (m_delegate) {
        if (const auto rest = deleteSelectedTrim(trims(), m_selectedTrimIndex)) {
            m_selectedTrimIndex = kNoSelection;
            m_delegate->setTrimArray(*rest);
        }
    }
    update();
}

void COMVEProgressBarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The measures are y up; the one flip is here.
    painter.setTransform(QTransform(1, 0, 0, -1, 0, height()));
    const Layout l = layout();
    const QRectF c = l.contentRect();
    const QRectF strip(c.left(), l.middleY() - l.stripHeight / 2.0, c.width(), l.stripHeight);
    if (!strip.isEmpty()) {
        painter.save();
        QPainterPath rounded;
        rounded.addRoundedRect(strip, 3.0, 5.0);
        painter.setClipPath(rounded);
        drawPicture(painter, m_backImage, strip, QColor(60, 60, 64));
        painter.restore();
    }
    const MovieTrimItemList list = trims();
    const auto drawTrim = [&](const MovieTrimItem &trim, bool selected) {
        const float xs = l.timeToPoint(trim.startTime());
        const float xe = l.timeToPoint(trim.stopTime());
        drawPicture(painter, m_leftTrimImage, l.leftTrimButtonRect(xs), QColor(230, 180, 40));
        drawPicture(painter, m_rightTrimImage, l.rightTrimButtonRect(xe), QColor(230, 180, 40));
        drawPicture(painter,
                    selected ? m_trimSelectImage : m_trimNotSelectImage,
                    l.centerTrimRect(xs, xe),
                    selected ? QColor(240, 200, 60) : QColor(120, 150, 200));
    };
    for (const MovieTrimItemRef &trim : list)
        drawTrim(*trim, false);
    if (m_selectedTrimIndex != kNoSelection && m_selectedTrimIndex >= 0
        && m_selectedTrimIndex < list.size())
        drawTrim(*list[m_selectedTrimIndex], true);
    const QPointF knob(l.timeToPoint(m_currentTime), l.middleY() + 1.5 * l.stripHeight);
    const QSizeF knobSize = sizeOr(m_knobImage, QSizeF(10, 10));
    const QRectF knobRect(knob - QPointF(knobSize.width() / 2, knobSize.height() / 2), knobSize);
    if (m_knobImage.isNull()) {
        painter.setBrush(QColor(40, 40, 44));
        painter.setPen(QPen(QColor(235, 235, 235), 1.5));
        painter.drawEllipse(knobRect);
    } else {
        painter.drawImage(knobRect, m_knobImage);
    }
}

void COMVEProgressBarView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_delegate)
        return;
    const Layout l = layout();
    const QPointF p = toModel(event->position());
    const HitResult hit = drayTypeAtPoint(l, trims(), m_selectedTrimIndex, p);
    m_dragType = hit.type;
    if (hit.type == DragNothing)
        return;
    m_selectedTrimIndex = hit.selectedTrimIndex;
    m_delegate->flushProgressTimeLabel();
    m_delegate->flushPlayerProgress();
    m_downPoint = p;
    if (hit.type == DragStrip) {
        m_currentTime = seekTimeForPoint(l, float(p.x()));
        seek(m_currentTime);
    } else {
        const MovieTrimItemList list = trims();
        m_downStartX = l.timeToPoint(list[m_selectedTrimIndex]->startTime());
        m_downEndX = l.timeToPoint(list[m_selectedTrimIndex]->stopTime());
        m_delegate->flushProgressTimeLabel();
    }
    update();
}

void COMVEProgressBarView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_delegate || m_dragType == DragNothing)
        return;
    const Layout l = layout();
    const QPointF q = toModel(event->position());
    if (m_dragType == DragStrip) {
        m_currentTime = seekTimeForPoint(l, float(q.x()));
        seek(m_currentTime);
    } else if (const auto step = actionForType(l,
                                               trims(),
                                               m_selectedTrimIndex,
                                               m_dragType,
                                               m_downPoint,
                                               q,
                                               m_downStartX,
                                               m_downEndX)) {
        m_delegate->setTrimArray(step->trims);
        m_currentTime = step->currentTimeUs;
        m_delegate->pause();
        seek(m_currentTime);
        m_delegate->flushProgressTimeLabel();
    }
    update();
}

void COMVEProgressBarView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragType = DragNothing;
}
