#include "app/AppExtention/Function/ControllerFunction.h"

#include "Platterkit/model/DVDLibrary.h"
#include "platform/Assert.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <mutex>

namespace {

std::mutex &registryLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<MainWindowControllerInterface> &installedController()
{
    static std::shared_ptr<MainWindowControllerInterface> controller;
    return controller;
}

std::atomic<bool> &redrawPending()
{
    static std::atomic<bool> pending{false};
    return pending;
}

bool onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void ControllerFunction::setMainWndController(
    std::shared_ptr<MainWindowControllerInterface> controller)
{
    std::lock_guard locker(registryLock());
    installedController() = std::move(controller);
}

std::shared_ptr<MainWindowControllerInterface> ControllerFunction::mainWndController()
{
    std::lock_guard locker(registryLock());
    return installedController();
}

MenuEditControllerInterface *ControllerFunction::menuEditController()
{
    DW_ASSERT(onMainThread(), return nullptr);
    const auto main = mainWndController();
    return main ? main->menuEditController() : nullptr;
}

void ControllerFunction::displayCanvasViewLater()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (redrawPending().exchange(true))
        return;
    QMetaObject::invokeMethod(
        app,
        [] {
            redrawPending().store(false);
            if (MenuEditControllerInterface *editor = menuEditController())
                editor->displayCanvasView();
        },
        Qt::QueuedConnection);
}

void ControllerFunction::updateDvdMenu()
{
    DW_ASSERT(onMainThread(), return );
    const auto main = mainWndController();
    if (!main)
        return;
    if (const auto dvd = main->dvd())
        dvd->updateDVDMenu();
    if (MenuEditControllerInterface *editor = main->menuEditController())
        editor->updateHasSubMenuItemImage();
    main->changeCapacityValue();
}
