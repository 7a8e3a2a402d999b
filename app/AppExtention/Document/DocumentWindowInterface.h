#pragma once

// What the document asks of the main window controller, which holds the one editing project: read
// a package into it, write it to a package, say whether the window is busy, and keep the edited
// state (the window's count of unsaved changes and its mark). The shell's main window controller implements it; tests use a host of their own. Main
// thread only; callbacks also arrive on the main thread.

#include "app/AppExtention/Document/ProjectPackage.h"

#include <QString>
#include <functional>

class DocumentWindowInterface
{
public:
    using Done = std::function<void(bool ok, const QString &error)>;

    virtual ~DocumentWindowInterface() = default;

    // Reads the package at path (empty: a new project) into new objects and, once read, swaps them
    // in as the editing project. done(false, why) leaves the open project as it was. Answers false,
    // with no callback, when a read or write is already running.
    virtual bool openPath(const QString &path, Done done) = 0;
    // Writes the editing project as the package at path. done(false, why) when it was not
    // written; whatever was at path is then as it was. Answers false, with no callback, when a read
    // or write is already running or the project cannot be archived.
    virtual bool savePath(const QString &path, ProjectPackage::WriteMode mode, Done done) = 0;
    // A sheet is attached, a modal window runs or the preview window is open.
    virtual bool isWindowBusy() const = 0;
    // The edited-state rule: true records a change, except for an untitled project without titles,
    // which never counts as edited; false clears. The window's mark follows.
    virtual void setDocumentEdited(bool edited) = 0;
    virtual bool isDocumentEdited() const = 0;
};
