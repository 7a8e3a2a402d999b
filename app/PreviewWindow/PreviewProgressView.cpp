#include "app/PreviewWindow/PreviewProgressView.h"

#include "app/AppTheme/ThemeArt.h"
#include "app/PreviewWindow/PreviewViewController.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

PreviewProgressView::PreviewProgressView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("progressView"));
    setMinimumHeight(21);
}

QRectF PreviewProgressView::contentRectOf(const QRectF &bounds)
{
    return bounds.adjusted(10, 5, -10, -5);
}

int64_t PreviewProgressView::pointToTime(double x, const QRectF &content, int64_t durationUs)
{
    if (content.width() <= 0)
        return 0;
    return int64_t(std::trunc((x - content.x()) / content.width() * double(durationUs)));
}

double PreviewProgressView::timeToPoint(int64_t timeUs, const QRectF &content, int64_t durationUs)
{
    return double(std::min(timeUs, durationUs)) / double(std::max<int64_t>(durationUs, 1))
               * content.width()
           + content.x();
}

int PreviewProgressView::drayTypeAtPoint(QPointF point, const QRectF &content)
{
    const double centre = content.center().y();
    const QRectF band(content.x() - 5, centre - 7, content.width() + 10, 14);
    const bool inside = point.x() >= band.left() && point.x() <= band.right()
                        && point.y() >= band.top() && point.y() <= band.bottom();
    return inside ? 0 : 1;
}

bool PreviewProgressView::playButtonEnable() const
{
    return m_delegate && m_delegate->playButtonEnable();
}

void PreviewProgressView::actionForType(int type, QPointF point)
{
    if (type == 0) {
        const int64_t t
            = std::clamp<int64_t>(pointToTime(point.x()), 0, std::max<int64_t>(m_durationUs, 0));
        m_currentTimeUs = t;
        if (m_delegate)
            m_delegate->seek(t);
    }
    update();
}

void PreviewProgressView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !playButtonEnable())
        return;
    m_trackType = drayTypeAtPoint(event->position(), contentRect());
    m_isInSeek = m_trackType == 0;
    m_tracking = true;
    actionForType(m_trackType, event->position());
}

void PreviewProgressView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_tracking)
        actionForType(m_trackType, event->position());
}

void PreviewProgressView::mouseReleaseEvent(QMouseEvent *)
{
    m_tracking = false;
    m_isInSeek = false;
}

namespace {

// The named image at its own height stretched over rect's width, centred on rect, clipped to a
// rounded rectangle.
void drawProgressBarImageInCenter(QPainter &painter, const QString &name, const QRectF &rect)
{
    const QImage image = AppTheme::ThemeArt::imageNamed(name);
    const QRectF target(
        rect.x(), rect.center().y() - image.height() / 2.0, rect.width(), image.height());
    if (target.isEmpty() || image.isNull())
        return;
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(target, 7, 5);
    painter.setClipPath(clip);
    painter.drawImage(target, image);
    painter.restore();
}

void drawProgressPointImage(QPainter &painter, const QString &name, QPointF point)
{
    const QImage image = AppTheme::ThemeArt::imageNamed(name);
    painter.drawImage(QPointF(point.x() - image.width() / 2.0, point.y() - image.height() / 2.0),
                      image);
}

} // namespace

void PreviewProgressView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF content = contentRect();
    drawProgressBarImageInCenter(
        painter, QStringLiteral("player_progress_bar_background"), content);
    const double x0 = timeToPoint(0);
    const double x1 = timeToPoint(m_currentTimeUs);
    drawProgressBarImageInCenter(painter,
                                 QStringLiteral("player_progress_bar"),
                                 QRectF(x0, content.y(), x1 - x0, content.height()));
    drawProgressPointImage(
        painter, QStringLiteral("player_progress_point"), QPointF(x1, content.center().y()));
}
