#pragma once

// The title list of the main window: the project's titles as painted rows (a title's clips
// under it when it is expanded), its selection (nothing, one title or one clip), imports of files
// as new titles or as clips of a title, and the drags of rows that reorder, merge, split off and
// remove titles and clips.
//
// The titles are the project's (the disc's own list); the rows follow the project's signals and
// every change the list makes goes through the project. Owned by the main window controller. Main
// thread; each import opens its files on a thread of its own and hands the results back to the
// main thread.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/TitleImport.h"
#include "app/View/SourceView/SourceListGeometry.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class EditingProject;
class QDialog;
class QLabel;
class QProgressBar;
class QScrollArea;
class QWidget;
class SourceBgView;
class SourceTableView;

class SourceViewController : public QObject
{
    Q_OBJECT
public:
    SourceViewController(EditingProject &project, QWidget *parent);
    ~SourceViewController() override;

    // The title area: the backdrop with the list's scroll area on it.
    QWidget *view() const;
    SourceTableView *tableView() const { return m_table; }
    QScrollArea *scrollView() const { return m_scroll; }

    // Called on the main thread with the new titles of each import and the list row they go to:
    // the main window hands them to the project with the page they land on. Without one they join
    // the project's list alone.
    void setImportHandler(std::function<void(const QList<DVDTitleDataRef> &, qsizetype)> handler)
    {
        m_imported = std::move(handler);
    }
    // The widget standing for the menu page while a title is dragged: a title let go over it
    // stays in the list.
    void setMenuDropTarget(QWidget *target) { m_menuTarget = target; }

    // The project's titles, in list order.
    QList<DVDTitleDataRef> titleArray() const;

    // --- Selection ---------------------------------------------------------------------------
    // 0 nothing selected, 1 a title, 2 a clip.
    int selectionMode() const { return m_selectionMode; }
    DVDTitleDataRef selectedTitle() const { return m_selectedTitle; }
    MediaDataRef selectedMedia() const { return m_selectedMedia; }
    void clearSelection();
    // The title alone (nothing for null).
    void selectedSingleTitle(const DVDTitleDataRef &title);
    void selectedSingleMedia(const MediaDataRef &media);

    // --- Imports -------------------------------------------------------------------------------
    // Asks the open panel for files and imports them, one title per file, at the end of the list.
    void addFilesToSourceButtonAction();
    // Imports paths on a worker as new titles at the end of the list (TitleImport: video files of
    // at least five seconds, others skipped); done, when given, runs on the main thread once the
    // titles are in the list. False while an import runs.
    bool importFiles(const QStringList &paths, std::function<void()> done = {});
    // The same at an insertion of the list: lineMode 1 new titles at titleIndex, 2 clips into
    // that title at mediaIndex, 3 clips appended to it. The target title is fixed now: edits
    // made while the files are read do not move the insertion.
    bool importFilesAt(const QStringList &paths,
                       const SourceListGeometry::Insertion &insertion,
                       std::function<void()> done = {});
    bool isImporting() const;
    // The window-modal sheet up while an import runs: its counter "done / total" and Cancel.
    QDialog *importWindow() const { return m_importWindow; }
    QLabel *importRateField() const { return m_importRateField; }

    // Removes the selected title (with its menu items) or clip from the project.
    void deleteAction();
    // Every row again from the project's titles (a project opened or made new).
    void sourceMediaHasReload();

    // --- Drags of rows -----------------------------------------------------------------------
    // The steps of a drag of the selected row, which the list runs around QDrag::exec and tests
    // call directly: the pointer over the list (list coordinates), then how the drag ended.
    void rowDragMovedTo(QPointF listPoint);
    void endRowDrag(SourceListGeometry::DragEnd end);
    // The paths a drag of the selection carries: the selected title's clips, or the clip.
    QStringList draggedPaths() const;

    // "hh:mm:ss" of the title's clips' trimmed durations.
    static QString titleTimeString(const DVDTitleData &title);

signals:
    void selectionChanged();
    // A row was double-clicked: the window opens the selection in the video editor.
    void editRequested();

protected:
    // The list follows the width of its scroll area.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reload();
    void startRowDrag();
    void toggleExpand(const DVDTitleDataRef &title);
    void showSelection();
    void openImportWindow(int total);
    void showImportRate(int done, int total);

    EditingProject &m_project;
    SourceBgView *m_background = nullptr;
    QScrollArea *m_scroll = nullptr;
    SourceTableView *m_table = nullptr;
    QPointer<QWidget> m_menuTarget;
    std::function<void(const QList<DVDTitleDataRef> &, qsizetype)> m_imported;
    TitleImport *m_import = nullptr;
    QDialog *m_importWindow = nullptr;
    QLabel *m_importRateField = nullptr;
    QProgressBar *m_importFilesProgress = nullptr;
    int m_selectionMode = 0;
    DVDTitleDataRef m_selectedTitle;
    MediaDataRef m_selectedMedia;
    // Where the running drag of a row ended, as its drop targets saw it.
    std::optional<SourceListGeometry::DragEnd> m_dragEnd;
};
