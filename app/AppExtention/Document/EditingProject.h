#pragma once

// The project the main window edits: the editing disc and its titles (the disc's own title list,
// the only one), the items' style records, the disc-wide settings, the disc type the gauge
// measures against, the package path and the edited mark. Every edit of a controller goes through
// one of its methods, which changes the model and then emits the one signal of that kind of
// change; the title list, the page still, the capacity gauge and the commands follow the signals,
// so that no edit needs a refresh of the whole window.
//
// Owned by the main window controller for the life of the window. Main thread only: every edit
// (asserted) and every read. Production and preview read a copy (ProductionInput), and a project
// being read is told its package by its reader, so no other thread looks the project up.

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "app/production/DiscSizeEstimate.h"

#include <QObject>
#include <QRectF>

class DVDLibraryResource;

class EditingProject : public QObject
{
    Q_OBJECT
public:
    // Starts with a new project from NewProjectBuilder, without a file.
    explicit EditingProject(QObject *parent = nullptr);
    ~EditingProject() override;

    // --- The project's objects, main thread ------------------------------------------------------
    DVDLibraryRef dvd() const;
    TempEditDataList tempDataArray() const;
    TempDvdDataRef tempDvdData() const;
    // The open package, empty while the project has no file.
    QString packagePath() const;
    // The package path with relativePath ("/resource/...") appended; empty without a file.
    QString pathForResourcePath(const QString &relativePath) const;

    // --- Reads, main thread ---------------------------------------------------------------------
    // The disc's titles, in list order.
    QList<DVDTitleDataRef> titles() const;
    qsizetype titleCount() const;
    qsizetype indexOfTitle(const DVDTitleDataRef &title) const;
    // Some title has a clip.
    bool hasTitleWithClips() const;
    Discwright::DiscSizeEstimate::DiscType discType() const { return m_discType; }
    // What the disc will take at its rate: the titles on pages (all of them without menus), the
    // warning clip and the pages' own time.
    qint64 estimatedBytes() const;
    // The template library the new pages and title items are copied from.
    DVDLibraryResource &templateLibrary() const;
    // An untitled project without titles never counts as edited.
    bool isEdited() const { return m_changeCount > 0; }

    // --- Edits, main thread -----------------------------------------------------------------------
    // A project opened or made new replaces everything; projectReplaced. The edited mark is the
    // caller's (an opened project is clean, a reverted one too).
    void setContents(const ProjectContents &contents);
    void setPackagePath(const QString &path);
    // A new project from the one builder at bitrateKbps, without a file; projectReplaced, then the
    // mark is cleared.
    void newProject(qint64 bitrateKbps);

    // titles enter the list at row (clamped to the list); when placeOn is given and the disc has
    // menus, each gets an item on that page (an empty slot first, else a new one at the default
    // place) with its style record. One titlesInserted(row, count).
    void insertTitles(qsizetype row,
                      const QList<DVDTitleDataRef> &titles,
                      const DVDMenuRef &placeOn = nullptr);
    // count titles from row leave the list (and the pages' jumps to them); one titlesRemoved.
    void removeTitles(qsizetype row, qsizetype count = 1);
    // The title at from moves to index to of the list; one titleMoved. Nothing for a no-op.
    void moveTitle(qsizetype from, qsizetype to);
    void renameTitle(qsizetype row, const QString &name);
    // An editor changed a title or one of its clips in place (a trim, a chapter, a clip's
    // settings); titleChanged of its row.
    void noteTitleChanged(const DVDTitleDataRef &title);

    // The item moves to frame (menu space, y up); its style record remembers the frame.
    // pageItemsChanged of its page.
    void setItemFrame(const DVDMenuRef &page, const DVDMenuItemRef &item, const QRectF &frame);
    // The page's items are these now; pageItemsChanged.
    void setPageItems(const DVDMenuRef &page, const DVDMenuItemList &items);
    // An editor changed the items of page in place; pageItemsChanged.
    void notePageItemsChanged(const DVDMenuRef &page);
    // A new style record joins the project; styleRecordChanged naming its item.
    void appendStyleRecord(const TempEditDataRef &record);
    // An editor changed the style record of item in place; styleRecordChanged.
    void noteStyleRecordChanged(const DVDMenuItemRef &item);
    // A blank page from the template library of the disc's aspect, prepared as a new project's
    // page is, joins the pages; pageAdded. Null (and no signal) without a blank template page.
    DVDMenuRef addBlankPage();
    // page (and every jump into it) leaves the disc; pageRemoved.
    void removePage(const DVDMenuRef &page);

    // Disc-wide settings; each is one settingsChanged, none for the value already set.
    void setDvdBitrate(qint64 bitrateKbps);
    void setDiscType(Discwright::DiscSizeEstimate::DiscType type);
    void setNoMenu(bool noMenu);
    // An editor changed the disc-wide settings in place; settingsChanged.
    void noteSettingsChanged();

    // The whole disc's pages and jumps again (pagination, title sizes, jumps): the one rebuild the
    // old global refresh stands for. One pageItemsChanged per page. wholeRefreshCount counts them.
    void updateDvdMenu();
    int wholeRefreshCount() const { return m_wholeRefreshes; }

    // The edited mark: true counts one more change (none while the project is untitled and has
    // no titles), false clears it. editedChanged when the mark turns.
    void setEdited(bool edited);

signals:
    void titlesInserted(qsizetype row, qsizetype count);
    void titlesRemoved(qsizetype row, qsizetype count);
    void titleMoved(qsizetype from, qsizetype to);
    void titleChanged(qsizetype row);
    void pageItemsChanged(const DVDMenuRef &page);
    void styleRecordChanged(const DVDMenuItemRef &item);
    void pageAdded(const DVDMenuRef &page);
    void pageRemoved(const DVDMenuRef &page);
    void settingsChanged();
    void projectReplaced();
    void packagePathChanged(const QString &path);
    void editedChanged(bool edited);

private:
    void setDiscTitles(const QList<DVDTitleDataRef> &titles);
    void setStyleRecords(const TempEditDataList &records);
    // Every edit that the package keeps counts as a change.
    void changed() { setEdited(true); }

    DVDLibraryRef m_dvd;
    TempEditDataList m_tempDataArray;
    TempDvdDataRef m_tempDvdData;
    QString m_packagePath;

    Discwright::DiscSizeEstimate::DiscType m_discType
        = Discwright::DiscSizeEstimate::DiscType::SingleLayer;
    int m_changeCount = 0;
    int m_wholeRefreshes = 0;
};
