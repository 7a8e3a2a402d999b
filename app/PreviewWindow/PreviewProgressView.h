#pragma once

#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <cstdint>

class PreviewViewController;

// The preview's seek bar: a track over the content rectangle, the played part and a knob at the
// playhead. A press in the band around the track's centre line seeks and a drag goes on seeking,
// clamped to the title; a press elsewhere only redraws. The geometry is plain static functions in
// widget coordinates so that tests can drive it without a display.
//
// Owned by the preview controller's view. Main thread only.
class PreviewProgressView : public QWidget
{
public:
    explicit PreviewProgressView(QWidget *parent = nullptr);

    // Not owned: the preview controller, which outlives the view's use of it.
    void setDelegate(PreviewViewController *delegate) { m_delegate = delegate; }

    int64_t duration() const { return m_durationUs; }
    void setDuration(int64_t durationUs) { m_durationUs = durationUs; }
    int64_t currentTime() const { return m_currentTimeUs; }
    void setCurrentTime(int64_t timeUs) { m_currentTimeUs = timeUs; }
    bool isInSeek() const { return m_isInSeek; }

    // The bounds inset by 10 points left and right and 5 top and bottom.
    static QRectF contentRectOf(const QRectF &bounds);
    // (x - content left) / content width x duration, truncated toward zero; not clamped.
    static int64_t pointToTime(double x, const QRectF &content, int64_t durationUs);
    // min(t, duration) / max(duration, 1) x content width + content left.
    static double timeToPoint(int64_t timeUs, const QRectF &content, int64_t durationUs);
    // 0 (seek) inside the content's width widened by 5 on each side and 7 above and below the
    // centre line; 1 elsewhere.
    static int drayTypeAtPoint(QPointF point, const QRectF &content);

    QRectF contentRect() const { return contentRectOf(QRectF(rect())); }
    int64_t pointToTime(double x) const { return pointToTime(x, contentRect(), m_durationUs); }
    double timeToPoint(int64_t t) const { return timeToPoint(t, contentRect(), m_durationUs); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool playButtonEnable() const;
    void actionForType(int type, QPointF point);

    PreviewViewController *m_delegate = nullptr;
    int64_t m_durationUs = 100;
    int64_t m_currentTimeUs = 0;
    bool m_isInSeek = false;
    bool m_tracking = false;
    int m_trackType = 1;
};
