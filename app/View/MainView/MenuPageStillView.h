#pragma once

// The still of the current menu page in the main window: the page's picture fitted into the view,
// aspect kept, on a dark backdrop. The main window renders the page and hands the picture over;
// the view only paints it. Main thread.

#include <QImage>
#include <QWidget>

class MenuPageStillView : public QWidget
{
    Q_OBJECT
public:
    explicit MenuPageStillView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    // Shows image (a null image shows the backdrop alone) and schedules a repaint.
    void setImage(const QImage &image);
    // How many pictures were handed over, for tests that check the redraw on a change.
    int imageCount() const { return m_imageCount; }
    // Where the picture lands in the view.
    QRect imageRect() const;

    QSize sizeHint() const override { return {520, 300}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    int m_imageCount = 0;
};
