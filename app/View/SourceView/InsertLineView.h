#pragma once

// The insertion line shown while files, a title or a clip are dragged over the title list: where
// the drop would go. A child of the list, placed by it. Main thread.

#include <QWidget>

class InsertLineView : public QWidget
{
    Q_OBJECT
public:
    explicit InsertLineView(QWidget *parent = nullptr);

    QRect contentRect() const { return rect(); }

protected:
    void paintEvent(QPaintEvent *event) override;
};
