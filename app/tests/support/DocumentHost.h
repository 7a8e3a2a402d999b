#pragma once

// What the document tests stand in for: the main window controller's side of the document (a
// project held in memory, read and written through the real package jobs, swapped in on the main
// thread) and the user's answers to the document's questions and panels, scripted per test. Also
// a builder of projects over real clips, their titles placed as an import places them.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Document/DocumentPanelsInterface.h"
#include "app/AppExtention/Document/DocumentWindowInterface.h"
#include "app/AppExtention/Document/ProjectPackageJobs.h"

#include <QStringList>
#include <deque>

namespace app_testing {

// A new project with one title per clip, each with its item on the page and its style record.
ProjectContents makeProject(const QStringList &clips);
// Adds a title over clip as an import does; returns it.
DVDTitleDataRef addTitle(ProjectContents &project, const QString &clip, const QString &name);

class DocumentHost : public DocumentWindowInterface
{
public:
    DocumentHost();

    bool openPath(const QString &path, Done done) override;
    bool savePath(const QString &path, ProjectPackage::WriteMode mode, Done done) override;
    bool isWindowBusy() const override { return sheetAttached || jobs.isBusy(); }
    // The main window's rule, over the package the project was last read from or saved to.
    void setDocumentEdited(bool edited) override;
    bool isDocumentEdited() const override { return changeCount > 0; }

    // Runs the event loop until no job runs.
    bool waitIdle();

    ProjectContents project;
    // The package the project was last read from or saved to.
    QString currentPackage;
    ProjectPackageJobs jobs;
    bool sheetAttached = false;
    bool windowEdited = false;
    int changeCount = 0;
    int swaps = 0;
    int saves = 0;
};

class ScriptedPanels : public DocumentPanelsInterface
{
public:
    SaveChanges askSaveChanges() override;
    QString chooseOpenPath(const QString &extension) override;
    QString chooseSavePath(const QString &suggestedPath, const QString &extension) override;
    bool confirmReplace(const QString &path) override;
    void showAlert(const QString &message, const QString &informative) override;

    // The answers, taken in order; a question without an answer left fails the test.
    std::deque<SaveChanges> saveChangesAnswers;
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    std::deque<bool> replaceAnswers;

    int saveChangesAsked = 0;
    int replaceAsked = 0;
    QStringList alerts;
};

} // namespace app_testing
