#pragma once

#include <QWidget>

// The dark backdrop under the preview's controls: black at alpha 0.8. Main thread only.
class PreviousProgressBarBgView : public QWidget
{
public:
    explicit PreviousProgressBarBgView(QWidget *parent = nullptr)
        : QWidget(parent)
    {}

protected:
    void paintEvent(QPaintEvent *event) override;
};
