#pragma once

// The bottom bar of the menu editor: grey 45/255 under a black and a grey 55/255 line at its top.
// Main thread only.

#include <QWidget>

class MenuMinYBgView : public QWidget
{
    Q_OBJECT
public:
    explicit MenuMinYBgView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
