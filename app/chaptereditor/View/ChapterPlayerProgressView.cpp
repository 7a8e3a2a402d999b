#include "app/chaptereditor/View/ChapterPlayerProgressView.h"

#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/chaptereditor/ChapterEditorViewHost.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

QImage named(const char *name, QSize size = QSize())
{
    QImage image = ApplicationImage::imageNamed(QString::fromUtf8(name));
    if (!image.isNull() && size.isValid())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QList<qint64> showTimes(const MarkerItemList &markers)
{
    QList<qint64> times;
    for (const auto &marker : markers)
        times.append(marker->markShowTime());
    return times;
}

} // namespace

ChapterPlayerProgressView::ChapterPlayerProgressView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("playerProgressView"));
    setFocusPolicy(Qt::ClickFocus);
    m_barImage = named("chapter_playProgressBack");
    m_knobImage = named("chapter_playProgressBtn");
    m_markerImage = named("chapter_not_select", QSize(26, 26));
    m_markerSelectImage = named("chapter_select", QSize(26, 26));
    setMinimumHeight(60);
}

ChapterTimelineGeometry ChapterPlayerProgressView::geometryNow() const
{
    ChapterTimelineGeometry geometry;
    geometry.bounds = QRectF(0, 0, width(), height());
    geometry.barHeight = m_barImage.isNull() ? 8.0 : double(m_barImage.height());
    geometry.markerSize = QSizeF(26, 26);
    geometry.duration = m_duration;
    return geometry;
}

QPointF ChapterPlayerProgressView::toWidget(QPointF p) const
{
    return QPointF(p.x(), height() - p.y());
}

QPointF ChapterPlayerProgressView::fromWidget(QPointF p) const
{
    return QPointF(p.x(), height() - p.y());
}

QRectF ChapterPlayerProgressView::toWidget(const QRectF &r) const
{
    return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height());
}

QPoint ChapterPlayerProgressView::markerButtonCentre(qint64 t) const
{
    const ChapterTimelineGeometry g = geometryNow();
    return toWidget(g.markerButtonRect(g.timeToPoint(t))).center().toPoint();
}

QPoint ChapterPlayerProgressView::barPoint(qint64 t) const
{
    const ChapterTimelineGeometry g = geometryNow();
    return toWidget(QPointF(g.timeToPoint(t), g.centreY())).toPoint();
}

void ChapterPlayerProgressView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const ChapterTimelineGeometry g = geometryNow();
    const QRectF c = g.contentRect();
    const double y0 = g.centreY();

    // The bar: the picture stretched to the content's width, clipped to a rounded rectangle.
    const QRectF bar = toWidget(QRectF(c.x(), y0 - g.barHeight / 2.0, c.width(), g.barHeight));
    if (!bar.isEmpty()) {
        painter.save();
        QPainterPath clip;
        clip.addRoundedRect(bar, 7, 5);
        painter.setClipPath(clip);
        if (m_barImage.isNull())
            painter.fillRect(bar, QColor(70, 70, 70));
        else
            painter.drawImage(bar, m_barImage);
        painter.restore();
    }

    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    if (editor) {
        const MarkerItemRef selected = editor->selectedMarker();
        for (const auto &marker : editor->markerArrayForDraw()) {
            const QRectF button
                = toWidget(g.markerButtonRect(g.timeToPoint(marker->markShowTime())));
            if (m_markerImage.isNull())
                painter.fillRect(button, QColor(200, 200, 200));
            else
                painter.drawImage(button, m_markerImage);
            if (marker == selected) {
                if (m_markerSelectImage.isNull())
                    painter.fillRect(button, QColor(40, 120, 220));
                else
                    painter.drawImage(button, m_markerSelectImage);
            }
        }
    }

    const QPointF knobCentre = toWidget(QPointF(g.timeToPoint(m_currentTime), y0 + 10.0));
    if (m_knobImage.isNull()) {
        painter.setBrush(Qt::white);
        painter.drawEllipse(knobCentre, 6, 6);
    } else {
        const QSizeF size = m_knobImage.size();
        painter.drawImage(QRectF(knobCentre - QPointF(size.width() / 2, size.height() / 2), size),
                          m_knobImage);
    }
}

void ChapterPlayerProgressView::seekAtBar(double x)
{
    const qint64 t = geometryNow().barTimeAt(x);
    m_currentTime = t;
    update();
    emit seek(t);
}

void ChapterPlayerProgressView::mousePressEvent(QMouseEvent *event)
{
    // Ends an edit in a tile's time field first.
    setFocus(Qt::MouseFocusReason);
    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    const QPointF p = fromWidget(event->position());
    const ChapterTimelineGeometry g = geometryNow();
    const MarkerItemList markers = editor ? editor->markerArrayForDraw() : MarkerItemList();
    qsizetype index = -1;
    const auto hit = g.hitTest(p, showTimes(markers), &index);
    m_pressKind = int(hit);
    m_pressX = p.x();
    if (hit == ChapterTimelineGeometry::Hit::Nothing)
        return;
    if (hit == ChapterTimelineGeometry::Hit::Bar) {
        seekAtBar(p.x());
    } else {
        editor->updateSelectedMarker(markers[index]);
        m_currentTime = markers[index]->markShowTime();
        update();
        emit seek(m_currentTime);
    }
    const MarkerItemRef selected = editor ? editor->selectedMarker() : nullptr;
    m_baseTime = selected ? selected->markShowTime() : 0;
    event->accept();
}

void ChapterPlayerProgressView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_pressKind == 2)
        return;
    const QPointF q = fromWidget(event->position());
    if (m_pressKind == 0) {
        seekAtBar(q.x());
        return;
    }
    if (ChapterEditorViewHost *editor = ChapterEditorViewHost::current())
        editor->setSelectedMarkerTime(geometryNow().dragTime(m_baseTime, m_pressX, q.x()));
}

void ChapterPlayerProgressView::mouseReleaseEvent(QMouseEvent *)
{
    m_pressKind = 2;
}
