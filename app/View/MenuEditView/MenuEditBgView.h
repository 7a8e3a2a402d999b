#pragma once

// The dark backdrop of the menu editor, with a light line along its left edge and a black one
// along its bottom. Main thread only.

#include <QWidget>

class MenuEditBgView : public QWidget
{
    Q_OBJECT
public:
    explicit MenuEditBgView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
