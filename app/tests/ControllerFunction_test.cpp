// The seam through which records and controllers reach the main window controller and the menu
// editor.

#include "app/AppExtention/Function/ControllerFunction.h"
#include "support/AppFakes.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;

TEST(ControllerFunction, BeforeTheMainWindowEveryLookupIsNull)
{
    application();
    ControllerFunction::setMainWndController(nullptr);
    EXPECT_EQ(ControllerFunction::mainWndController(), nullptr);
    EXPECT_EQ(ControllerFunction::menuEditController(), nullptr);
    ControllerFunction::updateDvdMenu();
    ControllerFunction::displayCanvasViewLater();
    drainEvents();
}

TEST(ControllerFunction, LookupsFollowTheInstalledController)
{
    ScopedMainWindow main;
    EXPECT_EQ(ControllerFunction::mainWndController().get(), &*main);
    EXPECT_EQ(ControllerFunction::menuEditController(), &main->editor);
    EXPECT_EQ(ControllerFunction::mainWndController()->pathForResourcePath("/resource/a/b"),
              "/projects/test.dwproj/resource/a/b");
}

TEST(ControllerFunction, UpdateDvdMenuRefreshesInOrder)
{
    ScopedMainWindow main;
    ControllerFunction::updateDvdMenu();
    EXPECT_EQ(main->editor.subMenuRefreshes, 1);
    EXPECT_EQ(main->capacityRefreshes, 1);
}

TEST(ControllerFunction, RedrawRequestsCollapseAndRunOnTheMainThread)
{
    ScopedMainWindow main;
    std::thread worker([] {
        for (int i = 0; i < 5; ++i)
            ControllerFunction::displayCanvasViewLater();
    });
    worker.join();
    ControllerFunction::displayCanvasViewLater();
    EXPECT_EQ(main->editor.redraws, 0);
    ASSERT_TRUE(runUntil([&] { return main->editor.redraws > 0; }));
    drainEvents();
    EXPECT_EQ(main->editor.redraws, 1);
    EXPECT_EQ(main->editor.redrawsOffMainThread, 0);

    ControllerFunction::displayCanvasViewLater();
    ASSERT_TRUE(runUntil([&] { return main->editor.redraws == 2; }));
}

TEST(ControllerFunction, StringNoneNil)
{
    EXPECT_EQ(ControllerFunction::stringNoneNil(QString()), "");
    EXPECT_FALSE(ControllerFunction::stringNoneNil(QString()).isNull());
    EXPECT_EQ(ControllerFunction::stringNoneNil("x"), "x");
}

} // namespace
