#pragma once

// What the records ask of the menu editor, and the menu element dialogs it owns. The menu canvas's
// controller implements it; tests install fakes. Main thread only.

class BackgroundMusicWindowController;
class BackgroundPictureWindowController;
class ButtonEditWindowController;
class SettingWindowController;
class TitleTextEditWindowController;

class MenuEditControllerInterface
{
public:
    virtual ~MenuEditControllerInterface() = default;

    // Marks the menu canvas for redrawing.
    virtual void displayCanvasView() = 0;
    // Refreshes the sub-menu marks of the page's items after the pages were rebuilt.
    virtual void updateHasSubMenuItemImage() = 0;

    // The menu element dialogs, null while they do not exist.
    virtual ButtonEditWindowController *buttonEditController() const { return nullptr; }
    virtual TitleTextEditWindowController *titleTextEditController() const { return nullptr; }
    virtual BackgroundMusicWindowController *musicEditController() const { return nullptr; }
    virtual BackgroundPictureWindowController *pictureEditController() const { return nullptr; }
    virtual SettingWindowController *settingController() const { return nullptr; }
};
