#pragma once

// How every record, controller and view reaches the application delegate, the single main window
// controller, its sub-controllers and the menu element dialogs without keeping references of its
// own, the refresh that ends every change to titles or menus, and a few picture and text routines.
// The delegate registers itself while it lives; the shell installs its main window controller just
// before launch finishes and keeps it for the life of the process. Before that every lookup
// answers null and the operations below do nothing.
//
// Lookups may be made from any thread (the registry is guarded); what the answers offer says
// which thread may call it, the main window's project the main thread only.

#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/AppExtention/Function/MenuEditControllerInterface.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <memory>

class AppDelegate;
class QPainter;

class ControllerFunction
{
public:
    ControllerFunction() = delete;

    // Registers (or, with null, removes) the application delegate.
    static void setAppDelegate(AppDelegate *delegate);
    static AppDelegate *appDelegate();
    // Installs (or, with null, removes) the main window controller.
    static void setMainWndController(std::shared_ptr<MainWindowControllerInterface> controller);
    static std::shared_ptr<MainWindowControllerInterface> mainWndController();

    // The main window controller's sub-controllers, each null while it does not exist. Main
    // thread.
    static SourceViewController *sourceController();
    static MenuEditControllerInterface *menuEditController();
    static COMVideoEditorWindowController *com_videoEditController();
    static ChapterEditorWindowController *chapterEditController();
    // The menu editor's dialogs, each null while it (or the menu editor) does not exist. Main
    // thread.
    static ButtonEditWindowController *buttonEditController();
    static BackgroundMusicWindowController *musiEditController();
    static BackgroundPictureWindowController *pictureEditController();
    static TitleTextEditWindowController *titleTextEditController();
    static SettingWindowController *settingController();

    // Asks the menu editor to redraw its canvas. The request always runs later on the main thread,
    // whichever thread asks, and requests made before it runs collapse into one redraw.
    static void displayCanvasViewLater();

    // A thin forward to the project: it rebuilds the disc's pages and jumps and announces each
    // page, which the page still and the gauge follow; then the menu editor refreshes its sub-menu
    // marks. Without a project (a fake window) the disc itself is rebuilt and the gauge asked.
    // Main thread.
    static void updateDvdMenu();

    // The string, or the empty string for a null one.
    static QString stringNoneNil(const QString &string)
    {
        return string.isNull() ? QStringLiteral("") : string;
    }

    // Draws string in the label font of fontSize points and colour at its natural size, centred
    // in rect: a string wider or taller than rect reaches past it equally on both sides. Needs a
    // QGuiApplication (the font database); the thread that owns painter.
    static void drawTitleAtRect(QPainter &painter,
                                const QRectF &rect,
                                const QString &string,
                                int fontSize,
                                const QColor &color);
    // The picture file at path, passed once through PNG (so that what is kept is the decoded
    // picture, never the file's own encoding); null when the file cannot be read. Any thread.
    static QImage getNSImageFromPath(const QString &path);
    // The same for a picture already in memory; null for a null picture. Any thread.
    static QImage getNSImageFromErrNSImage(const QImage &image);
    // The application's "DefaultImage" picture, whatever the path (also one that does not
    // exist). Any thread.
    static QImage getThumbnailFromPath(const QString &path);
};
