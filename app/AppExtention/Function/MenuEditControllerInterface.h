#pragma once

// What the records ask of the menu editor. The menu canvas's controller implements it; tests
// install fakes. Main thread only.

class MenuEditControllerInterface
{
public:
    virtual ~MenuEditControllerInterface() = default;

    // Marks the menu canvas for redrawing.
    virtual void displayCanvasView() = 0;
    // Refreshes the sub-menu marks of the page's items after the pages were rebuilt.
    virtual void updateHasSubMenuItemImage() = 0;
};
