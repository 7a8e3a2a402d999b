#pragma once

#include "app/AppExtention/Document/DocumentPanelsInterface.h"
#include "app/AppExtention/Document/DocumentWindowInterface.h"

#include <QObject>
#include <QString>
#include <functional>

class DocumentControllerChain;

/**
 * The document of the one editing project. It stores nothing itself: reading and writing go to
 * the main window controller (DocumentWindowInterface), which keeps the project and its count of
 * unsaved changes. The document keeps the package path it belongs to and the questions around a
 * save: the save-changes question, the save panel and the alert when writing fails.
 *
 * A failed save keeps the edited mark and the package path; a failed open or revert keeps the
 * open project and the package path it had. While a read or write runs the document is busy and
 * the document controller refuses what would start another.
 *
 * Made and owned by DiscwrightDocumentController, one for the life of the process. Main thread
 * only.
 */
class DiscwrightDocument : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(bool ok)>;
    // How updateChangeCount changes the count.
    enum ChangeType { ChangeDone = 0, ChangeCleared = 2 };

    DiscwrightDocument(DocumentWindowInterface &window,
                       DocumentPanelsInterface &panels,
                       QObject *parent = nullptr);

    // The package the document belongs to; empty while untitled.
    QString fileURL() const { return m_fileURL; }
    void setFileURL(const QString &path) { m_fileURL = path; }
    // The package extension, without the dot.
    static QString fileType();
    // The package name shown in the title bar; "Untitled" while untitled.
    QString displayName() const;

    void updateChangeCount(ChangeType change);
    bool isDocumentEdited() const { return m_window.isDocumentEdited(); }
    // The main window's edited-state rule (an edit of an untitled project without titles does not
    // count, so that closing it asks nothing).
    void setDocumentEdited(bool flag) { m_window.setDocumentEdited(flag); }

    // A read or write is running.
    bool isBusy() const { return m_busy; }

    // Reads path (empty: a new project) into the main window. The package path becomes path only
    // once the read succeeded; a failure is told to the user and changes nothing.
    void revertToContentsOfURL(const QString &path, Done done = {});
    // A new untitled project with no unsaved changes.
    void emptyForNewProject(Done done = {});
    // Writes to the package path, or asks for one first when untitled. done(false) when the user
    // cancelled or writing failed (which was told to the user).
    void saveDocument(Done done = {});
    // Asks for a package path (and whether to replace a package there), then writes there; the
    // document then belongs to it.
    void saveDocumentAs(Done done = {});
    // Asks the chain whether the document may close: at once when there is nothing to save,
    // otherwise after the save-changes question and, for "Save", once the package is written.
    void canCloseDocumentWithDelegate(DocumentControllerChain *chain);

private:
    void writeTo(const QString &path, ProjectPackage::WriteMode mode, Done done);

    DocumentWindowInterface &m_window;
    DocumentPanelsInterface &m_panels;
    QString m_fileURL;
    bool m_busy = false;
};
