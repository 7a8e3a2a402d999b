#pragma once

// The title list itself, the document widget of its scroll area: one painted row per title and,
// under an expanded title, one per clip, slid into place after every change; the prompt while the
// list is empty; the insertion line while files or rows are dragged over it. It keeps no titles
// of its own: reloadView lays out the titles it is given (the project's), making the rows that
// are missing and dropping those whose object left. Drops and presses are passed on to the
// controller through its signals. Main thread.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/View/SourceView/SourceListGeometry.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class DVDTitleView;
class InsertLineView;
class MediaDataView;

class SourceTableView : public QWidget
{
    Q_OBJECT
public:
    // The drag type of rows dragged from the list: a keyed archive of the dragged clips' paths.
    static constexpr const char *kDragType = "MediaDataIndexType";

    explicit SourceTableView(QWidget *parent = nullptr);

    // The rows of titles, in order, made or dropped as needed and animated to their frames; the
    // height follows (never below the scroll area's viewport). Clears the insertion.
    void reloadView(const QList<DVDTitleDataRef> &titles);
    // The rows show this selection (a title, a clip, or nothing).
    void showSelection(const DVDTitleDataRef &title, const MediaDataRef &media);

    // The insertion at a point in list coordinates, and the line placed to show it.
    void showLineViewByPoint(QPointF point);
    void resetStatus();
    const SourceListGeometry::Insertion &insertion() const { return m_insertion; }
    InsertLineView *lineView() const { return m_lineView; }
    const SourceListGeometry::Layout &layout() const { return m_layout; }

    DVDTitleView *titleView(const DVDTitleData *title) const { return m_titleRows.value(title); }
    MediaDataView *mediaDataView(const MediaData *media) const { return m_mediaRows.value(media); }
    // The title rows in list order.
    QList<DVDTitleView *> titleRows() const;
    // The frame a row is sliding to (its frame once the animation ends).
    QRect targetFrame(const QWidget *row) const;

    // Files are refused while the window shows a sheet or the application a modal window.
    bool acceptsFileDrops() const;

signals:
    void titlePressed(const DVDTitleDataRef &title);
    void mediaPressed(const MediaDataRef &media);
    // A press on the list outside every row.
    void marginPressed();
    void expandClicked(const DVDTitleDataRef &title);
    void rowDoubleClicked();
    // Files dropped from outside at the insertion in force.
    void filesDropped(const QStringList &paths, const SourceListGeometry::Insertion &insertion);
    // A press on a row moved far enough to start a drag of the selection.
    void rowDragStarted();
    void focusChanged(bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void moveRow(QWidget *row, const QRect &frame);
    double viewportHeight() const;

    InsertLineView *m_lineView = nullptr;
    SourceListGeometry::Layout m_layout;
    SourceListGeometry::Insertion m_insertion;
    QList<DVDTitleDataRef> m_shown;
    QHash<const DVDTitleData *, DVDTitleView *> m_titleRows;
    QHash<const MediaData *, MediaDataView *> m_mediaRows;
    QHash<const QWidget *, QRect> m_targets;
    std::optional<QPoint> m_pressAt;
    bool m_rowJustPressed = false;
};
