#pragma once

// The title list of the main window, in its plain form: one row per title with its name and
// playing time, files added through the open panel, the selected title deleted. The full list
// (clip rows, drags, editing, the import sheet) replaces this view later; the names here are the
// ones the main window already calls.
//
// The titles are the project's (the disc's own list); the rows follow the project's title signals,
// one row per change, and every change the list makes goes through the project. Owned by the main
// window controller. Main thread; each import opens its files on a thread of its own and hands the
// new titles back to the main thread.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/TitleImport.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class EditingProject;
class QTreeWidget;
class QWidget;

class SourceViewController : public QObject
{
    Q_OBJECT
public:
    SourceViewController(EditingProject &project, QWidget *parent);
    ~SourceViewController() override;

    QWidget *view() const;
    QTreeWidget *tableView() const { return m_table; }

    // Called on the main thread with the titles of each import: the main window hands them to
    // the project with the page they land on. Without one they join the project's list alone.
    void setImportHandler(std::function<void(const QList<DVDTitleDataRef> &)> handler)
    {
        m_imported = std::move(handler);
    }

    // The project's titles, in list order.
    QList<DVDTitleDataRef> titleArray() const;

    // 0 nothing selected, 1 a title.
    int selectionMode() const;
    DVDTitleDataRef selectedTitle() const;

    // Asks the open panel for files and imports them, one title per file, at the end of the list.
    void addFilesToSourceButtonAction();
    // Imports paths on a worker (TitleImport: video files of at least five seconds, others
    // skipped); done, when given, runs on the main thread once the titles are in the list. False
    // while an import runs.
    bool importFiles(const QStringList &paths, std::function<void()> done = {});
    bool isImporting() const;
    // Removes the selected title from the project.
    void deleteAction();
    // Every row again from the project's titles (a project opened or made new).
    void sourceMediaHasReload();

    // "hh:mm:ss" of the title's clips' trimmed durations.
    static QString titleTimeString(const DVDTitleData &title);

private:
    void fillRow(qsizetype row);

    EditingProject &m_project;
    QTreeWidget *m_table = nullptr;
    std::function<void(const QList<DVDTitleDataRef> &)> m_imported;
    TitleImport *m_import = nullptr;
};
