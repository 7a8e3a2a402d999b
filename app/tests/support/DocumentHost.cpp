#include "DocumentHost.h"

#include "AppFakes.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/AppExtention/TitlePageEdits.h"

#include <gtest/gtest.h>

namespace app_testing {

DVDTitleDataRef addTitle(ProjectContents &project, const QString &clip, const QString &name)
{
    auto media = MediaData::mediaDataWithPath(clip);
    auto title = std::make_shared<DVDTitleData>();
    title->setName(name);
    title->setMediaArray({media});
    media->setSuperData(title);
    auto titles = project.dvd->titles();
    titles.append(title);
    project.dvd->setTitles(titles);
    const auto prototype = TitlePageEdits::aNewMenuTitleItem(1);
    MenuTitleItems::importTitle(
        *project.dvd->menus().first(), title, prototype.get(), project.tempDataArray);
    return title;
}

ProjectContents makeProject(const QStringList &clips)
{
    ProjectContents project = ProjectPackage::newProject();
    int n = 0;
    for (const QString &clip : clips)
        addTitle(project, clip, QStringLiteral("Title %1").arg(++n));
    return project;
}

DocumentHost::DocumentHost()
    : project(ProjectPackage::newProject())
{}

bool DocumentHost::openPath(const QString &path, Done done)
{
    return jobs.open(path, [this, path, done](std::optional<ProjectContents> read, QString why) {
        if (read) {
            project = std::move(*read);
            currentPackage = path;
            ++swaps;
        }
        done(bool(read), why);
    });
}

bool DocumentHost::savePath(const QString &path, ProjectPackage::WriteMode mode, Done done)
{
    return jobs.save(
        project, currentPackage, path, mode, [this, path, done](bool ok, const QString &why) {
            if (ok) {
                currentPackage = path;
                ++saves;
            }
            done(ok, why);
        });
}

void DocumentHost::setDocumentEdited(bool edited)
{
    const bool emptyUntitled
        = (!project.dvd || project.dvd->titles().isEmpty()) && currentPackage.isEmpty();
    if (edited && !emptyUntitled)
        ++changeCount;
    else
        changeCount = 0;
    windowEdited = changeCount > 0;
}

bool DocumentHost::waitIdle()
{
    return runUntil([this] { return !jobs.isBusy(); }, 60000);
}

namespace {

template <class T> T take(std::deque<T> &answers, const char *what)
{
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return T();
    }
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

DocumentPanelsInterface::SaveChanges ScriptedPanels::askSaveChanges()
{
    ++saveChangesAsked;
    if (saveChangesAnswers.empty()) {
        ADD_FAILURE() << "unexpected save-changes question";
        return SaveChanges::Cancel;
    }
    return take(saveChangesAnswers, "save-changes question");
}

QString ScriptedPanels::chooseOpenPath(const QString &extension)
{
    EXPECT_EQ(extension, QStringLiteral("dwproj"));
    return take(openPaths, "open panel");
}

QString ScriptedPanels::chooseSavePath(const QString &, const QString &extension)
{
    EXPECT_EQ(extension, QStringLiteral("dwproj"));
    return take(savePaths, "save panel");
}

bool ScriptedPanels::confirmReplace(const QString &)
{
    ++replaceAsked;
    return take(replaceAnswers, "replace question");
}

void ScriptedPanels::showAlert(const QString &message, const QString &)
{
    alerts.append(message);
}

} // namespace app_testing
