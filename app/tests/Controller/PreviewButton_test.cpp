// The main window's Preview button: the preview opens window-modal over a fresh production copy,
// the window counts as busy (the commands go off) while it is open, and closing brings the main
// window and its commands back.

#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/Controller/MainWindowController.h"
#include "app/PreviewWindow/PreviewWindowController.h"
#include "app/production/DVDPlayer.h"
#include "support/ShellTesting.h"

#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell_testing;

namespace {

TEST(PreviewButton, OpensThePreviewAndTheWindowIsBusyUntilItCloses)
{
    application();
    auto controller = std::make_shared<MainWindowController>();
    ControllerFunction::setMainWndController(controller);
    controller->newDocumentProject();
    controller->window()->show();
    ASSERT_TRUE(controller->previewButton());
    ASSERT_TRUE(controller->previewButton()->isEnabled());
    EXPECT_FALSE(controller->isOpenPreviewWnd());

    QTest::mouseClick(controller->previewButton(), Qt::LeftButton);
    PreviewWindowController *preview = controller->previewController();
    ASSERT_TRUE(preview->isVisible());
    EXPECT_TRUE(controller->isOpenPreviewWnd());
    EXPECT_TRUE(controller->isWindowBusy());
    EXPECT_FALSE(controller->addVideoButton()->isEnabled());
    EXPECT_TRUE(preview->previewController()->player()->dvd()) << "a production copy plays";
    EXPECT_NE(preview->previewController()->player()->dvd(), controller->dvd());
    ASSERT_TRUE(runUntil([&] { return !controller->window()->isVisible(); }));

    preview->reject();
    EXPECT_FALSE(controller->isOpenPreviewWnd());
    EXPECT_TRUE(controller->window()->isVisible());
    EXPECT_EQ(preview->previewController()->player()->dvd(), nullptr);
    EXPECT_TRUE(controller->previewButton()->isEnabled());
    EXPECT_TRUE(controller->addVideoButton()->isEnabled());

    ControllerFunction::setMainWndController(nullptr);
    controller.reset();
}

} // namespace
