#pragma once

// The top bar of the menu editor: a grey gradient between two black lines. Main thread only.

#include <QWidget>

class MenuMaxYBgView : public QWidget
{
    Q_OBJECT
public:
    explicit MenuMaxYBgView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
