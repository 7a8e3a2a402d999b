#include "app/chaptereditor/View/ChapterTableView.h"

#include "app/chaptereditor/ChapterEditorViewHost.h"
#include "app/chaptereditor/View/ChapterSingleView.h"
#include "app/chaptereditor/View/ChapterTileLayout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

ChapterTableView::ChapterTableView(QScrollArea *scrollArea)
    : QWidget(nullptr)
    , m_scrollArea(scrollArea)
{
    setObjectName(QStringLiteral("chapterTableView"));
    setFocusPolicy(Qt::ClickFocus);
}

void ChapterTableView::adjustSelfFrame()
{
    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    const qsizetype count = editor ? editor->markerArrayForDraw().size() : 0;
    const QSize viewport = m_scrollArea ? m_scrollArea->viewport()->size() : size();
    resize(viewport.width(),
           int(ChapterTileLayout::columnHeight(double(viewport.height()), count)));
}

void ChapterTableView::reloadView()
{
    adjustSelfFrame();
    ChapterEditorViewHost *editor = ChapterEditorViewHost::current();
    if (!editor)
        return;
    QList<ChapterSingleView *> &tiles = editor->markerItemViewArray();
    const MarkerItemList markers = editor->markerArrayForDraw();
    for (qsizetype i = 0; i < markers.size(); ++i) {
        ChapterSingleView *tile = nullptr;
        for (ChapterSingleView *each : tiles) {
            if (each->marker() == markers[i]) {
                tile = each;
                break;
            }
        }
        if (!tile) {
            tile = new ChapterSingleView();
            tiles.append(tile);
        }
        if (!tile->parentWidget())
            tile->setParent(this);
        tile->setMarker(markers[i]);
        tile->setGeometry(ChapterTileLayout::tileFrame(i, width()).toRect());
        tile->show();
        tile->initAllControl();
    }
    update();
}

void ChapterTableView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0.15f, 0.15f, 0.15f));
}

void ChapterTableView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    event->accept();
}
