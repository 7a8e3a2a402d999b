#pragma once

// The video editor's preview: the player's current frame with every edit applied (or, with
// showOrigin, as the source gives it), fitted into the view keeping its proportions. Before a
// frame the fitted rectangle is black; outside it the backdrop behind shows. The picture is
// composed at the size shown. Main thread only.

#include <QWidget>

class VideoEditPlayer;

class COMVEPlayerDisplayView : public QWidget
{
    Q_OBJECT
public:
    explicit COMVEPlayerDisplayView(QWidget *parent = nullptr);

    void setPlayer(VideoEditPlayer *player) { m_player = player; }
    VideoEditPlayer *player() const { return m_player; }
    bool showOrigin() const { return m_showOrigin; }
    void setShowOrigin(bool on) { m_showOrigin = on; }

    // The frame's rectangle in the view: the size S fitted into bounds, centred.
    static QRectF fittedRect(QSizeF size, const QRectF &bounds);
    // The picture and the size it is fitted at, as drawRect takes them; a null picture before
    // the first frame.
    QImage frameForSize(QSize shown, QSizeF *frameSize) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    VideoEditPlayer *m_player = nullptr;
    bool m_showOrigin = false;
};
