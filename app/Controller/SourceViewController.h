#pragma once

// The title list of the main window, in its plain form: one row per title with its name and
// playing time, files added through the open panel, the selected title deleted. The full list
// (clip rows, drags, editing, the import sheet) replaces this view later; the names here are the
// ones the main window already calls.
//
// Owned by the main window controller, which it tells of every change through the reload
// callback. Main thread; each import opens its files on a thread of its own and hands the new
// titles back to the main thread.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/TitleImport.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QTreeWidget;
class QWidget;

class SourceViewController : public QObject
{
    Q_OBJECT
public:
    explicit SourceViewController(QWidget *parent);
    ~SourceViewController() override;

    QWidget *view() const;
    QTreeWidget *tableView() const { return m_table; }

    // Called on the main thread after every change of the titles.
    void setReloadHandler(std::function<void()> handler) { m_reload = std::move(handler); }
    // Called on the main thread with the titles of each import, once they are in the list and
    // before the reload: the main window gives each an item on the menu page.
    void setImportHandler(std::function<void(const QList<DVDTitleDataRef> &)> handler)
    {
        m_imported = std::move(handler);
    }

    QList<DVDTitleDataRef> titleArray() const { return m_titles; }
    void setTitleArray(const QList<DVDTitleDataRef> &titles);

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
    // Removes the selected title.
    void deleteAction();
    // The rows again from titleArray, then the reload callback.
    void sourceMediaHasReload();

    // "hh:mm:ss" of the title's clips' trimmed durations.
    static QString titleTimeString(const DVDTitleData &title);

private:
    void reloadRows();

    QTreeWidget *m_table = nullptr;
    QList<DVDTitleDataRef> m_titles;
    std::function<void()> m_reload;
    std::function<void(const QList<DVDTitleDataRef> &)> m_imported;
    TitleImport *m_import = nullptr;
};
