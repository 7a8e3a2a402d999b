// The progress window as the production run drives it: the sheet, its bar and status line, the
// alerts waited for and those answered later, and Cancel.

#include "app/Controller/Panels/Workspace.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "support/ShellTesting.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

class ProgressWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        main.resize(600, 400);
        main.show();
        window.setCancelHandler([this] { ++cancels; });
    }

    QApplication &app = application();
    QMainWindow main;
    ScopedPanels panels;
    ConvertProgressWindow window{&main};
    int cancels = 0;
};

TEST_F(ProgressWindow, ASheetWithTheBarAndTheStatusThatCancelStops)
{
    window.openProgressWindow();
    ASSERT_TRUE(window.window()->isVisible());
    EXPECT_EQ(window.window()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(window.window()->parentWidget(), &main);
    window.showStatus("Convert Video ...");
    window.showProgress(0.37);
    EXPECT_EQ(window.progressIndicator()->value(), 370);
    EXPECT_EQ(window.convertVideoStatus()->text(), "Convert Video ...");
    saveGrab(*window.window(), "progress-window");

    QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
    // Escape asks the run to stop too; only the run closes the window.
    QTest::keyClick(window.window(), Qt::Key_Escape);
    EXPECT_EQ(cancels, 2);
    EXPECT_TRUE(window.window()->isVisible());
    window.closeProgressWindow();
    EXPECT_FALSE(window.window()->isVisible());
}

TEST_F(ProgressWindow, AnAlertWaitedForIsASheetThatAnswersTheButtonChosen)
{
    window.openProgressWindow();
    QString seen;
    answerNextAlert("OK", &seen);
    auto helper = std::make_shared<BurnDVDWorkflowAlertHelper>();
    window.openAlert({"The DVD folder could not be made.", "dvdauthor failed", "OK", {}, true},
                     helper);
    // The sheet is up without anything waiting for it here.
    ASSERT_NE(window.currentAlert(), nullptr);
    EXPECT_EQ(window.currentAlert()->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(runUntil([&] { return helper->alertReturn(); }));
    EXPECT_EQ(helper->returnCode(), 1);
    EXPECT_EQ(seen, "The DVD folder could not be made.\ndvdauthor failed");
    answerNextAlert("Cancel");
    auto second = std::make_shared<BurnDVDWorkflowAlertHelper>();
    window.openAlert({"DVD Disc space is not enough.", {}, "Continue", "Cancel", true}, second);
    ASSERT_TRUE(runUntil([&] { return second->alertReturn(); }));
    EXPECT_EQ(second->returnCode(), 0);
    window.closeProgressWindow();
}

TEST_F(ProgressWindow, AnAlertAnsweredLaterFollowsItsUpdatesAndCanBeDismissed)
{
    window.openProgressWindow();
    auto helper = std::make_shared<BurnDVDWorkflowAlertHelper>();
    window.beginAlert({"Burn DVD", "Please insert other blank DVD .", "Burn", "Cancel", false},
                      helper);
    QMessageBox *box = window.currentAlert();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    QAbstractButton *burn
        = box->buttons().first()->text() == "Burn" ? box->buttons().first() : box->buttons().last();
    EXPECT_FALSE(burn->isEnabled());
    window.updateAlert(helper, "Ready to Burn", true);
    EXPECT_EQ(box->informativeText(), "Ready to Burn");
    EXPECT_TRUE(burn->isEnabled());
    saveGrab(*box, "insert-disc-alert");
    EXPECT_FALSE(helper->alertReturn());
    burn->click();
    EXPECT_TRUE(helper->alertReturn());
    EXPECT_EQ(helper->returnCode(), 1);

    auto second = std::make_shared<BurnDVDWorkflowAlertHelper>();
    window.beginAlert({"Burn DVD", "Please insert other blank DVD .", "Burn", "Cancel", false},
                      second);
    window.dismissAlert(second);
    ASSERT_TRUE(runUntil([&] { return !visibleAlert(); }));
    // An update after the alert ended changes nothing.
    window.updateAlert(second, "Ready to Burn", true);
    window.closeProgressWindow();
}

TEST_F(ProgressWindow, TheResultIsShownInTheFileViewer)
{
    window.revealFile("/tmp/My Disc.iso");
    EXPECT_EQ(panels.workspace->selectedFiles, QStringList({"/tmp/My Disc.iso"}));
}

} // namespace

namespace {

TEST_F(ProgressWindow, WithoutAFileViewerAnAlertSaysTheRunFinishedAndWhere)
{
    struct Row
    {
        const char *name;
        bool desktop;
    };
    const Row rows[] = {{"the viewer cannot be started", false}, {"no launcher on PATH", true}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray path = qgetenv("PATH");
        if (row.desktop) {
            Workspace::install(nullptr);
            qputenv("PATH", "/nonexistent");
        } else {
            panels.workspace->opens = false;
        }
        window.revealFile("/tmp/out/My Disc.iso");
        qputenv("PATH", path);
        Workspace::install(panels.workspace);
        panels.workspace->opens = true;

        QMessageBox *alert = window.currentAlert();
        ASSERT_TRUE(alert);
        EXPECT_TRUE(alert->isVisible());
        EXPECT_EQ(alert->text(), "The run has finished.");
        EXPECT_EQ(alert->informativeText(), "The result is at \"/tmp/out/My Disc.iso\".");
        alert->close();
        ASSERT_TRUE(runUntil([&] { return !window.currentAlert(); }));
    }
}

} // namespace
