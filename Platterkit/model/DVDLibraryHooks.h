#pragma once

#include "platform/Object.h"

#include <QSizeF>
#include <QString>
#include <memory>

class DVDMenu;
class DVDMenuItem;
class DVDMenuImageGenerator;
class QPainter;

/**
 * The operations of the disc model and the template library that the application replaces for the
 * whole process. The library declares this policy with its own behaviour as the defaults; the
 * application subclasses it and installs its policy once at start-up, before any model object is
 * used. Every DVDMenuItem, DVDMenu and DVDLibraryResource consults the installed policy.
 */
class DVDLibraryHooks
{
public:
    virtual ~DVDLibraryHooks();

    // Whether a page thumbnail shows the element even when it is not valid. Library: false.
    virtual bool forceShowItem(const DVDMenuItem &item) const;
    // How the page's background picture is fitted: 0 fit inside, 1 fill, other values stretch.
    // Library: the page's stored mode.
    virtual qint64 backgroundImageDrawMode(const DVDMenu &menu) const;
    // The target of the page's "play" button. Library: DVDMenu::libraryMenuPlayJump.
    virtual ObjectRef menuPlayJump(const DVDMenu &menu) const;
    // The template folder. Library: the resource "menu_template.plugin" in the resources folder
    // beside the executable; empty when it does not exist.
    virtual QString resourcePath() const;
    // Whether templates are read in the newer layout. Library: true.
    virtual bool loadNewTemplate() const;
    // The application's drawing of one subpicture layer ("menu_highlight", "menu_select" or
    // "menu_image") of generator's page at the DVD picture size. context paints on a transparent
    // bitmap of that size with the origin at the lower left and y upwards; the drawer leaves the
    // painter's state as it found it. Returns false when the application has no drawer, and the
    // generator then draws the layer itself. Library: false, nothing drawn. An exception thrown
    // here is caught by the generator, which keeps what was drawn.
    virtual bool drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                                          QSizeF size,
                                          const QString &name,
                                          QPainter &context) const;

    // Draws the picture of item, an element whose jump target is the page target (a sub-menu
    // element), at timeUs into context (a y-up painter on the element's bitmap, as for a title).
    // Library: draws nothing, so the element shows its frame over black.
    virtual void fillPageJumpImage(const DVDMenu &target,
                                   DVDMenuItem &item,
                                   qint64 timeUs,
                                   QPainter *context) const;

    // Installs the process-wide policy; null restores the library's own.
    static void install(std::shared_ptr<DVDLibraryHooks> hooks);
    // The installed policy; never null.
    static std::shared_ptr<DVDLibraryHooks> current();

    // The folder of bundle resources: "resources" beside the executable.
    static QString bundleResourcesPath();
};
