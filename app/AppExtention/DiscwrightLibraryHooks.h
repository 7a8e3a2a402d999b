#pragma once

#include "Platterkit/model/DVDLibraryHooks.h"

#include <QString>

/**
 * The application's answers to the operations it replaces in the authoring library for the whole
 * process: every element is shown in page thumbnails, every page's background fills the page, no
 * page gives its "play" button a jump of its own (production sets the play button itself), the
 * template library reads the shipped "menu_template_old" folder in the older layout, and the
 * subpicture layers of every page are drawn in the project's border style.
 *
 * Installed once at start-up, before any model object is used (DVDLibraryExtention::install);
 * immutable afterwards, so any thread may consult it.
 */
class DiscwrightLibraryHooks : public DVDLibraryHooks
{
public:
    // resourcesFolder holds the application's bundle resources; empty means the folder
    // "resources" beside the executable.
    explicit DiscwrightLibraryHooks(QString resourcesFolder = QString());

    bool forceShowItem(const DVDMenuItem &item) const override;
    qint64 backgroundImageDrawMode(const DVDMenu &menu) const override;
    ObjectRef menuPlayJump(const DVDMenu &menu) const override;
    // resourcesFolder / "menu_template_old"; empty when that folder is missing.
    QString resourcePath() const override;
    bool loadNewTemplate() const override;
    // Always draws (DVDMenuImageGeneratorCustomImage): unknown layer names stay transparent.
    bool drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                                  QSizeF size,
                                  const QString &name,
                                  QPainter &context) const override;
    // A sub-menu element shows the picture of its page's first title (DVDMenuDrawCustomItem).
    void fillPageJumpImage(const DVDMenu &target,
                           DVDMenuItem &item,
                           qint64 timeUs,
                           QPainter *context) const override;

private:
    QString m_resourcesFolder;
};
