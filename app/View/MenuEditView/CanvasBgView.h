#pragma once

// The menu canvas: one page fitted into the widget (at least 10 pixels of margin, centred), the
// margin in grey 0.16, the page's background (its slideshow drawer's first picture or its
// background picture, else black) and its items in painting order. It hosts the interaction layer
// ShapeView as a child of the same geometry. One QTransform from menu points (y up) to widget
// pixels serves painting, hit tests and event points; it is refitted when the page changes and
// when the widget is resized (item frames never change through a fit). Main thread only.

#include "Platterkit/model/DVDMenu.h"

#include <QTransform>
#include <QWidget>

class MenuCanvasHost;
class ShapeView;

class CanvasBgView : public QWidget
{
    Q_OBJECT
public:
    explicit CanvasBgView(QWidget *parent = nullptr);

    void setHost(MenuCanvasHost *host);
    MenuCanvasHost *host() const { return m_host; }
    ShapeView *shapeView() const { return m_shapeView; }

    // The page rectangle: origin (0, 0), the page's menu size; the 16:9 size without a page.
    QRectF menuBgRect() const;
    // Menu points to widget pixels.
    QTransform menuTransform() const { return m_transform; }
    // Refits the canvas to the current page and redraws.
    void updateViewBoundsWhenMenuChange();
    // Removes every child other than the interaction layer and the item control bar.
    void removeOtherSubViews();
    void shapeViewDisplay();
    // The page painted last; null when none was.
    DVDMenuRef shownPage() const { return m_shownPage; }
    // How many redraws the editor asked for, for tests that check a change repaints.
    int redrawCount() const { return m_redraws; }
    // Asks for a repaint of the page and its overlay.
    void redraw();

    QSize sizeHint() const override { return {874, 500}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    MenuCanvasHost *m_host = nullptr;
    ShapeView *m_shapeView = nullptr;
    QTransform m_transform;
    DVDMenuRef m_shownPage;
    int m_redraws = 0;
};
