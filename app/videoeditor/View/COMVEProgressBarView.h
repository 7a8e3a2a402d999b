#pragma once

// The video editor's timeline: the strip, the kept trims with a handle at each end, and the
// playhead. A press on the strip selects the trim under it (or none) and seeks, a drag on goes on
// seeking; a press on a handle drags that end within its neighbours. The rules are
// COMVEProgressBarGeometry's; this widget maps the mouse (y down) to them (y up), draws, and hands
// the lists they build to its delegate. Main thread only.

#include "app/videoeditor/View/COMVEProgressBarGeometry.h"
#include "app/videoeditor/View/COMVEProgressBarViewDelegate.h"

#include <QImage>
#include <QWidget>

class COMVEProgressBarView : public QWidget
{
    Q_OBJECT
public:
    explicit COMVEProgressBarView(QWidget *parent = nullptr);

    void setDelegate(COMVEProgressBarViewDelegate *delegate) { m_delegate = delegate; }
    COMVEProgressBarViewDelegate *controller() const { return m_delegate; }

    int64_t duration() const { return m_duration; }
    void setDuration(int64_t t) { m_duration = t; }
    int64_t currentTime() const { return m_currentTime; }
    void setCurrentTime(int64_t t) { m_currentTime = t; }
    int selectedTrimIndex() const { return m_selectedTrimIndex; }
    void setSelectedTrimIndex(int index) { m_selectedTrimIndex = index; }

    // The measures as they stand (the widget's bounds in y-up coordinates).
    COMVEProgressBarGeometry::Layout layout() const;
    // Where a time sits in widget coordinates (y down), on the strip's centre line.
    QPoint timeToWidgetPoint(int64_t t) const;
    // The middle of the part of a trim's handle below the click zone, in widget coordinates.
    QPoint leftHandlePoint(int trimIndex) const;
    QPoint rightHandlePoint(int trimIndex) const;

    // The list edits of the window's Add and Delete buttons.
    void addTrimAction();
    void deleteSelectedTrimAction();

    QSize sizeHint() const override { return QSize(600, 60); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointF toModel(QPointF widgetPoint) const;
    MovieTrimItemList trims() const;
    void seek(int64_t t);

    COMVEProgressBarViewDelegate *m_delegate = nullptr;
    int64_t m_duration = 100;
    int64_t m_currentTime = 0;
    int m_selectedTrimIndex = COMVEProgressBarGeometry::kNoSelection;
    QImage m_backImage;
    QImage m_leftTrimImage;
    QImage m_rightTrimImage;
    QImage m_trimSelectImage;
    QImage m_trimNotSelectImage;
    QImage m_knobImage;
    // The drag in progress: its type, the press point (model) and the trim's edges at the press.
    COMVEProgressBarGeometry::DragType m_dragType = COMVEProgressBarGeometry::DragNothing;
    QPointF m_downPoint;
    float m_downStartX = 0.0f;
    float m_downEndX = 0.0f;
};
