#pragma once

// The chapter editor's column of tiles, inside a scroll area: one tile per shown marker, 80 points
// high and as wide as the column, stacked from the top. It keeps no state: the markers and the
// tiles belong to the chapter editor. Main thread.

#include <QWidget>

class QScrollArea;

class ChapterTableView : public QWidget
{
    Q_OBJECT
public:
    explicit ChapterTableView(QScrollArea *scrollArea);

    // Height: the scroll area's or 80 per shown marker, whichever is more; width: the scroll
    // area's.
    void adjustSelfFrame();
    // Lays the tiles out (a marker keeps its tile; a new marker gets a new one) and refreshes each.
    void reloadView();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QScrollArea *m_scrollArea = nullptr;
};
