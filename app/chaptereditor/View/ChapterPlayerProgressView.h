#pragma once

// The chapter editor's timeline: a bar for the clip's trimmed timeline with the playhead knob over
// it and one button per shown marker below it. A press or drag on the bar seeks; a press on a
// marker button selects the marker and a drag moves it. The view holds only the duration and the
// current time; the markers and the selection are the chapter editor's. Main thread.

#include "app/chaptereditor/View/ChapterTimelineGeometry.h"

#include <QImage>
#include <QWidget>

class ChapterPlayerProgressView : public QWidget
{
    Q_OBJECT
public:
    explicit ChapterPlayerProgressView(QWidget *parent = nullptr);

    qint64 duration() const { return m_duration; }
    void setDuration(qint64 duration) { m_duration = duration; }
    qint64 currentTime() const { return m_currentTime; }
    void setCurrentTime(qint64 t) { m_currentTime = t; }

    // The geometry of the view as it is now (y up).
    ChapterTimelineGeometry geometryNow() const;
    // A point in the geometry's y-up coordinates as a widget position, and back.
    QPointF toWidget(QPointF p) const;
    QPointF fromWidget(QPointF p) const;
    // The widget position of the button of the shown marker at show time t.
    QPoint markerButtonCentre(qint64 t) const;
    // The widget position on the bar's centre line at time t.
    QPoint barPoint(qint64 t) const;

signals:
    // The delegate seeks the player there.
    void seek(qint64 t);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRectF toWidget(const QRectF &r) const;
    void seekAtBar(double x);

    qint64 m_duration = 100;
    qint64 m_currentTime = 0;
    QImage m_barImage;
    QImage m_knobImage;
    QImage m_markerImage;
    QImage m_markerSelectImage;
    // The press being followed: 0 the bar, 1 a marker, 2 none.
    int m_pressKind = 2;
    double m_pressX = 0.0;
    qint64 m_baseTime = 0;
};
