#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <memory>
#include <optional>

class DVDPlayer;

// The preview's picture: the player's current frame fitted into the view on grey 35, with the
// disc's highlight layer over it, and the mouse passed to the player as fractions of the picture
// (0 to 1, y up) so that it highlights or activates the menu button there. Points on the letterbox
// margins are ignored.
//
// Owned by the preview controller's view; the player is the controller's. Main thread only.
class PreviewDisplayView : public QWidget
{
public:
    explicit PreviewDisplayView(QWidget *parent = nullptr);

    // Not owned.
    void setPlayer(DVDPlayer *player) { m_player = player; }
    DVDPlayer *player() const { return m_player; }
    // Show the frame without the clip's edits.
    bool showOrigin() const { return m_showOrigin; }
    void setShowOrigin(bool on) { m_showOrigin = on; }

    // The picture's place: a frameSize rectangle fitted into bounds (scaleRectIn).
    static QRectF pictureRect(const QSizeF &frameSize, const QRectF &bounds);
    // point (widget coordinates, y down) as fractions of the picture, ((x - left) / w,
    // (bottom - y) / h); nullopt outside the picture or for an empty one.
    static std::optional<QPointF> fractionOfPoint(QPointF point, const QRectF &picture);

    // The player's frame as shown now; null without one.
    QImage currentFrame() const;
    QImage getDVDHighlightImage() const;

    void moveAtPoint(QPointF point);
    void clickPoint(QPointF point);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    std::optional<QPointF> fractionInPicture(QPointF point) const;

    DVDPlayer *m_player = nullptr;
    bool m_showOrigin = false;
    // The last frame rendered, by its picture (held, so that its address names no other): a paint
    // or a mouse move between two frames renders nothing again.
    mutable std::shared_ptr<const void> m_renderedNode;
    mutable QImage m_rendered;
};
