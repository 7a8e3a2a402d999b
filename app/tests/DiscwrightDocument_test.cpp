// The one document of the process and its controller over the real package jobs, with the user's
// answers scripted: New, Open and Revert reuse the document after each answer to the save-changes
// question, closing waits for the package, commands are off while the window is busy, and failed
// saves and opens change nothing.

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/DiscwrightDocumentController.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"
#include "support/DocumentHost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace app_testing;
using Answer = DocumentPanelsInterface::SaveChanges;
using Command = DiscwrightDocumentController::Command;

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

QString titleName(const ProjectContents &project, int index)
{
    const auto title = std::dynamic_pointer_cast<DVDTitleData>(project.dvd->titles().value(index));
    return title ? title->name() : QString();
}

class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        clip = ClipFixtures::shared().colour("red", 2);
        ASSERT_FALSE(clip.isEmpty());
        // The application starts with an untitled document.
        document = controller.openUntitledDocumentAndDisplay();
        ASSERT_TRUE(document);
        ASSERT_TRUE(host.waitIdle());
    }

    // An edit as the title list makes it: a title, then the edited state.
    void addTitleAndMarkEdited(const QString &name)
    {
        addTitle(host.project, clip, name);
        document->setDocumentEdited(true);
    }

    // A saved package holding one title of that name.
    QString makePackage(const QString &file, const QString &name)
    {
        DocumentHost other;
        addTitle(other.project, clip, name);
        const QString path = work.filePath(file);
        bool done = false;
        EXPECT_TRUE(other.savePath(path,
                                   ProjectPackage::WriteMode::Replace,
                                   [&](bool ok, const QString &) { done = ok; }));
        EXPECT_TRUE(other.waitIdle());
        EXPECT_TRUE(done);
        return path;
    }

    QTemporaryDir work;
    QString clip;
    DocumentHost host;
    ScriptedPanels panels;
    DiscwrightDocumentController controller{host, panels};
    DiscwrightDocument *document = nullptr;
};

TEST_F(DocumentTest, TheFirstTitleOfAnUntitledProjectMarksItEditedAndRemovingItClears)
{
    EXPECT_FALSE(document->isDocumentEdited());
    document->setDocumentEdited(true);
    EXPECT_FALSE(document->isDocumentEdited()) << "an empty untitled project is never edited";
    addTitleAndMarkEdited("Title 1");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(host.windowEdited);
    host.project.dvd->setTitles({});
    document->setDocumentEdited(true);
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(host.windowEdited);
}

TEST_F(DocumentTest, NewReusesTheDocumentAfterEachAnswer)
{
    struct Row
    {
        const char *name;
        Answer answer;
        bool emptied;
    };
    const Row rows[] = {
        {"Don't Save empties it", Answer::DontSave, true},
        {"Cancel keeps the project", Answer::Cancel, false},
        {"Save writes, then empties", Answer::Save, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        addTitleAndMarkEdited("Kept");
        const QString package = work.filePath(QString("new-%1.dwproj").arg(int(row.answer)));
        panels.saveChangesAnswers = {row.answer};
        if (row.answer == Answer::Save)
            panels.savePaths = {package};
        EXPECT_EQ(controller.openUntitledDocumentAndDisplay(), document);
        ASSERT_TRUE(host.waitIdle());
        drainEvents();
        EXPECT_EQ(controller.document(), document);
        EXPECT_FALSE(controller.documentSaveChain());
        if (row.emptied) {
            EXPECT_TRUE(host.project.dvd->titles().isEmpty());
            EXPECT_TRUE(document->fileURL().isEmpty());
            EXPECT_FALSE(document->isDocumentEdited());
            EXPECT_FALSE(host.windowEdited);
        } else {
            EXPECT_EQ(titleName(host.project, 0), "Kept");
            EXPECT_TRUE(document->isDocumentEdited());
            host.project = ProjectPackage::newProject();
            document->setDocumentEdited(false);
        }
        if (row.answer == Answer::Save) {
            EXPECT_EQ(titleName(*ProjectPackage::readPackage(package, nullptr), 0), "Kept");
        }
    }
    EXPECT_EQ(panels.saveChangesAsked, 3);
}

TEST_F(DocumentTest, OpeningASecondPackageReplacesTheContentOfTheOneDocument)
{
    const QString first = makePackage("first.dwproj", "First");
    const QString second = makePackage("second.dwproj", "Second");
    panels.openPaths = {first};
    controller.openDocument();
    drainEvents();
    ASSERT_TRUE(host.waitIdle());
    EXPECT_EQ(document->fileURL(), first);
    EXPECT_EQ(titleName(host.project, 0), "First");

    // A package handed to the program opens by the same rule.
    addTitleAndMarkEdited("Edit");
    panels.saveChangesAnswers = {Answer::DontSave};
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(second), document);
    ASSERT_TRUE(host.waitIdle());
    EXPECT_EQ(controller.document(), document);
    EXPECT_EQ(document->fileURL(), second);
    EXPECT_EQ(titleName(host.project, 0), "Second");
    EXPECT_FALSE(document->isDocumentEdited());

    // Revert after Cancel keeps the edits; after Don't Save reads the package again.
    addTitleAndMarkEdited("Edit");
    panels.saveChangesAnswers = {Answer::Cancel, Answer::DontSave};
    controller.revertDocumentToSaved();
    EXPECT_EQ(host.project.dvd->titles().size(), 2);
    controller.revertDocumentToSaved();
    ASSERT_TRUE(host.waitIdle());
    EXPECT_EQ(host.project.dvd->titles().size(), 1);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentTest, ADamagedPackageAlertsAndKeepsBothTheProjectAndThePackage)
{
    const QString good = makePackage("good.dwproj", "Good");
    panels.openPaths = {good};
    controller.openDocument();
    drainEvents();
    ASSERT_TRUE(host.waitIdle());
    const QString damaged = work.filePath("damaged.dwproj");
    QDir().mkpath(damaged);
    QFile file(damaged + "/project");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an archive");
    file.close();

    EXPECT_EQ(controller.openDocumentWithContentsOfURL(damaged), document);
    ASSERT_TRUE(host.waitIdle());
    ASSERT_EQ(panels.alerts, QStringList{"The project could not be opened."});
    EXPECT_EQ(document->fileURL(), good);
    EXPECT_EQ(titleName(host.project, 0), "Good");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not an archive"));
}

TEST_F(DocumentTest, ClosingWithEditsAsksAndQuitsOnlyOnceThePackageIsWritten)
{
    addTitleAndMarkEdited("Unsaved");
    const QString package = work.filePath("closing.dwproj");
    panels.saveChangesAnswers = {Answer::Save, Answer::Cancel};
    panels.savePaths = {QString(), package};
    int terminated = 0;
    bool packageWasThere = false;
    // The save panel cancelled: nothing closes.
    controller.closeDocumentThen([&] { ++terminated; });
    EXPECT_EQ(terminated, 0);
    // Cancel: nothing closes.
    controller.closeDocumentThen([&] { ++terminated; });
    EXPECT_EQ(terminated, 0);
    EXPECT_TRUE(document->isDocumentEdited());

    panels.saveChangesAnswers = {Answer::Save};
    controller.closeDocumentThen([&] {
        ++terminated;
        packageWasThere = QFileInfo(package + "/project").isFile();
    });
    EXPECT_EQ(terminated, 0) << "not before the package is written";
    ASSERT_TRUE(host.waitIdle());
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(packageWasThere);
}

TEST_F(DocumentTest, CommandsAreOffWhileTheWindowIsBusy)
{
    const QString package = makePackage("busy.dwproj", "Busy");
    host.sheetAttached = true;
    for (Command command : {Command::New,
                            Command::Open,
                            Command::Save,
                            Command::SaveAs,
                            Command::Revert,
                            Command::Close})
        EXPECT_FALSE(controller.validateUserInterfaceItem(command));
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(package), nullptr);
    controller.openUntitledDocumentAndDisplay();
    drainEvents();
    EXPECT_TRUE(document->fileURL().isEmpty());
    EXPECT_EQ(host.swaps, 1);
    host.sheetAttached = false;
    EXPECT_TRUE(controller.validateUserInterfaceItem(Command::Open));
    EXPECT_FALSE(controller.validateUserInterfaceItem(Command::Revert)) << "untitled";

    // While the package is being written, too.
    addTitleAndMarkEdited("Saving");
    panels.savePaths = {package + "-2"};
    panels.replaceAnswers = {};
    controller.saveDocument();
    EXPECT_FALSE(controller.validateUserInterfaceItem(Command::New));
    EXPECT_EQ(controller.openDocumentWithContentsOfURL(package), nullptr);
    ASSERT_TRUE(host.waitIdle());
    EXPECT_TRUE(controller.validateUserInterfaceItem(Command::New));
}

TEST_F(DocumentTest, AFailedSaveAlertsAndKeepsTheEditedMarkAndThePackage)
{
    // Regression: a failed save reported success and cleared the edited mark.
    addTitleAndMarkEdited("One");
    const QString package = work.filePath("keep.dwproj");
    panels.savePaths = {package};
    controller.saveDocument();
    ASSERT_TRUE(host.waitIdle());
    ASSERT_EQ(document->fileURL(), package);
    EXPECT_FALSE(document->isDocumentEdited());

    addTitle(host.project, ClipFixtures::shared().colour("blue", 2), "Two");
    document->setDocumentEdited(true);
    QDir(package + "/resource").removeRecursively();
    QFile blocker(package + "/resource");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    controller.saveDocument();
    ASSERT_TRUE(host.waitIdle());
    EXPECT_EQ(panels.alerts, QStringList{"The project could not be saved."});
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(host.windowEdited);
    EXPECT_EQ(document->fileURL(), package);
}

TEST_F(DocumentTest, SaveAsOntoAPackageAsksToReplaceIt)
{
    const QString existing = makePackage("existing.dwproj", "Existing");
    addTitleAndMarkEdited("Mine");
    panels.savePaths = {existing, work.filePath("existing")};
    panels.replaceAnswers = {false, true};
    controller.saveDocumentAs();
    EXPECT_EQ(panels.replaceAsked, 1);
    EXPECT_TRUE(document->fileURL().isEmpty());
    EXPECT_EQ(titleName(*ProjectPackage::readPackage(existing, nullptr), 0), "Existing");

    // The extension is added when left out.
    controller.saveDocumentAs();
    ASSERT_TRUE(host.waitIdle());
    EXPECT_EQ(panels.replaceAsked, 2);
    EXPECT_EQ(document->fileURL(), existing);
    EXPECT_EQ(titleName(*ProjectPackage::readPackage(existing, nullptr), 0), "Mine");
    EXPECT_FALSE(document->isDocumentEdited());
}

} // namespace
