#pragma once

// The questions and panels the document puts to the user: the save-changes question, the open and
// save panels, the question whether to replace an existing package, and the alert that tells of a
// failure. The shell implements it with sheets on the main window; tests script it. Main thread
// only; each call returns once the user has answered.

#include <QString>

class DocumentPanelsInterface
{
public:
    enum class SaveChanges { Save, DontSave, Cancel };

    virtual ~DocumentPanelsInterface() = default;

    // "Do you want to save the changes you made in the Document?" with "Save", "Don't Save" and
    // "Cancel".
    virtual SaveChanges askSaveChanges() = 0;
    // A package to open, chosen as one item; empty when cancelled.
    virtual QString chooseOpenPath(const QString &extension) = 0;
    // Where to save, starting from suggestedPath; empty when cancelled.
    virtual QString chooseSavePath(const QString &suggestedPath, const QString &extension) = 0;
    // Whether the existing package at path may be replaced.
    virtual bool confirmReplace(const QString &path) = 0;
    // An alert of the string-table key message (looked up here, once); informative is the
    // diagnostic reason, which goes to the log and the alert's details.
    virtual void showAlert(const QString &message, const QString &informative) = 0;
};
