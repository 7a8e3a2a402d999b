#pragma once

// What the records and rules ask of the main window controller, the hub that owns the project's
// editing disc model, its style records and its package. The application shell's controller
// implements it; tests install fakes through ControllerFunction. Main thread only: production
// reads its own copy of the project (ProductionInput) and a project being read is told its
// package by its reader, so the project is never looked up from another thread; callers that may
// run elsewhere check the thread first and answer without the window.

#include <QList>
#include <QString>
#include <memory>

class ChapterEditorWindowController;
class COMVideoEditorWindowController;
class DVDLibrary;
class DVDTitleData;
class MediaData;
class EditingProject;
class QWidget;
class MenuEditControllerInterface;
class SourceViewController;
class TempDvdData;
class TempEditData;

class MainWindowControllerInterface
{
public:
    virtual ~MainWindowControllerInterface() = default;

    // The editing disc model.
    virtual std::shared_ptr<DVDLibrary> dvd() const = 0;
    // Every TempEditData of the project, in the order they were added.
    virtual QList<std::shared_ptr<TempEditData>> tempDataArray() const = 0;
    // The project's one TempDvdData.
    virtual std::shared_ptr<TempDvdData> tempDvdData() const = 0;
    // The open package's path with relativePath ("/resource/...") appended; empty while the
    // project has no file.
    virtual QString pathForResourcePath(const QString &relativePath) const = 0;
    // The menu editor, or null before it has loaded. Main thread.
    virtual MenuEditControllerInterface *menuEditController() const = 0;
    // Recomputes the capacity gauge. The gauge follows the project's signals on its own; this stays
    // for the callers that changed the disc behind the project's back. Main thread.
    virtual void changeCapacityValue() = 0;

    // The project the window edits: every edit of a controller goes through it (its titles, pages,
    // style records, settings and the edited mark), and its signals tell the views. It also
    // answers the template library and takes new style records. Null in fakes without one. Main
    // thread.
    virtual EditingProject *project() const { return nullptr; }
    // Rebuilds the pages, jumps and gauge through the project, which tells its views, and
    // answers true; false where there is no project (fakes), and the caller rebuilds by hand.
    // Main thread.
    virtual bool updateDvdMenuThroughProject() { return false; }
    // The window that sheets and alerts of the other controllers attach to; null without one.
    // Main thread.
    virtual QWidget *sheetParent() const { return nullptr; }

    // The window's other sub-controllers, null until they exist (the title editors are not built
    // yet, so they answer null for now). Main thread.
    virtual SourceViewController *sourceController() const { return nullptr; }
    virtual COMVideoEditorWindowController *com_videoEditController() const { return nullptr; }
    virtual ChapterEditorWindowController *chapterEditController() const { return nullptr; }

    // The chapter split's new clips: one new title per clip after title, each with a copy of
    // title's menu item 10 points further right and down per clip, through the project. Answers
    // the new titles' count (0 where there is no project). Main thread.
    virtual qsizetype addNewMenuTitleWithMedias(const QList<std::shared_ptr<MediaData>> &clips,
                                                const std::shared_ptr<DVDTitleData> &title)
    {
        (void)clips;
        (void)title;
        return 0;
    }
    // When clip is the first of its title, the title items leading to it take their still from
    // within its kept segments. Main thread.
    virtual void updateMenuItemTitleImageWithMedia(const MediaData &clip) { (void)clip; }
};
