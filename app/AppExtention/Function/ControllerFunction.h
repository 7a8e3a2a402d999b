#pragma once

// How every record, controller and view reaches the single main window controller and its menu
// editor without keeping references of its own, and the refresh that ends every change to titles
// or menus. The shell installs its main window controller just before launch finishes and keeps it
// for the life of the process; before that every lookup answers null and the operations below do
// nothing.
//
// Lookups may be made from any thread (the project loader and the production thread read the
// records through them); what the answers offer says which thread may call it.

#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/AppExtention/Function/MenuEditControllerInterface.h"

#include <QString>
#include <memory>

class ControllerFunction
{
public:
    ControllerFunction() = delete;

    // Installs (or, with null, removes) the main window controller.
    static void setMainWndController(std::shared_ptr<MainWindowControllerInterface> controller);
    static std::shared_ptr<MainWindowControllerInterface> mainWndController();
    // The main window controller's menu editor, or null. Main thread.
    static MenuEditControllerInterface *menuEditController();

    // Asks the menu editor to redraw its canvas. The request always runs later on the main thread,
    // whichever thread asks, and requests made before it runs collapse into one redraw.
    static void displayCanvasViewLater();

    // The disc model rebuilds its pages and jumps, then the menu editor refreshes its sub-menu
    // marks, then the capacity gauge is recomputed. Main thread.
    static void updateDvdMenu();

    // The string, or the empty string for a null one.
    static QString stringNoneNil(const QString &string)
    {
        return string.isNull() ? QStringLiteral("") : string;
    }
};
