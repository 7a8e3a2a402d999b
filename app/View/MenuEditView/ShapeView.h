#pragma once

// The interactive layer of the menu canvas: a transparent child over CanvasBgView, with the same
// geometry, working in menu space through the canvas's menuTransform. It owns the selection and
// the mouse and keyboard work on the page's items: click, Ctrl-click and rubber-band selection,
// moving the selection (one item snapping to the others' lines), resizing one item by its corners,
// arrow-key nudging with timed guides, and the overlay that shows all this. The decisions are the
// plain functions of CanvasGeometry; this view keeps the state and passes events on.
//
// Press, move and release events stand in for a tracking loop: between the press and the release
// of the left button only that drag is handled. Created and owned by its CanvasBgView; main
// thread only.

#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/Function/CanvasGeometry.h"

#include <QImage>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>
#include <functional>

class CanvasBgView;
class MenuCanvasHost;

class ShapeView : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeView(CanvasBgView *canvas);

    CanvasBgView *canvasBgView() const { return m_canvas; }
    void setHost(MenuCanvasHost *host) { m_host = host; }
    MenuCanvasHost *host() const { return m_host; }

    // --- Selection -------------------------------------------------------------------------------
    DVDMenuItemList selectedItemArray() const { return m_selectedItemArray; }
    // Replaces the selection (in the order given) and redraws; the host is not told, since the
    // caller is the host.
    void setSelectedItemArray(const DVDMenuItemList &items);
    // Drops from the selection every item no longer among itemsArray (a button the page stopped
    // showing), then tells the host when anything left.
    void removeSelectedItemsNotShown();
    DVDMenuItemList itemsArray() const;
    // The first selected item when any selected item is a text item; else null.
    DVDMenuItemRef textItem() const;
    bool isSelectedItemAllText() const;
    DVDMenuItemList selectedNoTextArray() const;
    DVDMenuItemList motionLessItemArray() const;
    bool isSelectedOne() const { return m_selectedItemArray.size() == 1; }
    TempEditDataRef tempDvdDataWithItem(const DVDMenuItemRef &item) const;

    // --- Hit tests and drags (menu points) ---------------------------------------------------------
    unsigned pointHitDragType(QPointF point);
    bool isMouseHitMedia(QPointF point);
    void mouseDownWithCommand(QPointF point);
    bool p_isKeepProportion() const;
    QRectF doDragAction(unsigned type, QPointF from, QPointF to, const QRectF &rect) const;
    QRectF doDragActionNotKeep(unsigned type, QPointF from, QPointF to, const QRectF &rect) const;
    QRectF getValidSelectedNoTextItemRect() const;
    QRectF boundInCanvasLimit(const QRectF &rect) const;
    QRectF checkForDrawAuxiliaryLine(const QRectF &candidate);
    void checkForDrawAuxiliaryLineForKeyEvent(const QRectF &frame);
    DVDMenuItemRef mouseHitItem() const { return m_mouseHitItem.lock(); }

    // --- Nudging ---------------------------------------------------------------------------------
    void moveUp() { nudge(QPointF(0, 1)); }
    void moveDown() { nudge(QPointF(0, -1)); }
    void moveLeft() { nudge(QPointF(-1, 0)); }
    void moveRight() { nudge(QPointF(1, 0)); }
    QStringList keyMoveRects() const { return m_keyMoveRects; }

    // --- Guides ----------------------------------------------------------------------------------
    bool drawMediaLine() const { return m_drawMediaLine; }
    QPointF mediaPoint1() const { return m_mediaPoint1; }
    QPointF mediaPoint2() const { return m_mediaPoint2; }
    bool drawMediaHLine() const { return m_drawMediaHLine; }
    QPointF mediaHPoint1() const { return m_mediaHPoint1; }
    QPointF mediaHPoint2() const { return m_mediaHPoint2; }
    bool keyForDrawLine() const { return m_keyForDrawLine; }
    double jiangeTime() const { return m_jiangeTime; }
    // The keyboard guides' timeout check: clears them more than 1.0 s after the last keyboard
    // alignment, else checks again 0.1 s later; redraws either way.
    void clearKeyForDrawLine();
    // Seconds since 1 January 2001; tests set their own clock.
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }
    bool isGuideCheckPending() const { return m_guideTimer.isActive(); }

    // --- Overlay state of the other canvas modes ---------------------------------------------------
    QRectF selectionRect() const { return m_selectionRect; }
    DVDMenuItemRef draggedInItem() const { return m_draggedInItem.lock(); }
    void setDraggedInItem(const DVDMenuItemRef &item);
    bool showAddFrameRect() const { return m_showAddFrameRect; }
    QRectF addFrameRect() const { return m_addFrameRect; }
    void setAddFrame(bool show, const QRectF &rect);

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Tracking { None, Drag, Band };

    QPointF menuPoint(QPointF widgetPoint) const;
    QRectF menuBgRect() const;
    void selectionDidChange();
    void snapshotSelection();
    QRectF oldFrameOf(const DVDMenuItemRef &item) const;
    QList<QRectF> otherFrames() const;
    void applyGuides(const CanvasGeometry::Guides &guides);
    void mouseDownWithNoCommand(QPointF point);
    void dragTo(QPointF point);
    void bandTo(QPointF point);
    void nudge(QPointF step);
    double now() const;

    CanvasBgView *m_canvas = nullptr;
    MenuCanvasHost *m_host = nullptr;

    DVDMenuItemList m_selectedItemArray;
    QList<QVariantMap> m_oldSelectedItemRects;
    QStringList m_keyMoveRects;
    QRectF m_selectionRect;
    std::weak_ptr<DVDMenuItem> m_mouseHitItem;
    float m_oldMinScale = 0;
    float m_oldMaxScale = 0;
    QImage m_dragD;
    bool m_drawMediaLine = false;
    QPointF m_mediaPoint1, m_mediaPoint2;
    bool m_drawMediaHLine = false;
    QPointF m_mediaHPoint1, m_mediaHPoint2;
    bool m_keyForDrawLine = false;
    double m_jiangeTime = 0;
    std::weak_ptr<DVDMenuItem> m_draggedInItem;
    DVDMenuItemList m_dragOnCanvasCreatedTitleArray;
    bool m_showAddFrameRect = false;
    QRectF m_addFrameRect;

    Tracking m_tracking = Tracking::None;
    unsigned m_dragType = CanvasGeometry::DragNone;
    QPointF m_pressPoint;
    QRectF m_pressBounds;
    QTimer m_guideTimer;
    std::function<double()> m_clock;
};
