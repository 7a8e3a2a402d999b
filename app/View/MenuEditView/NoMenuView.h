#pragma once

// The black cover over the canvas in no-menu mode: it takes every click and refuses the drops of
// titles and files that would otherwise reach the hidden canvas. Main thread only.

#include <QWidget>

class NoMenuView : public QWidget
{
    Q_OBJECT
public:
    explicit NoMenuView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
