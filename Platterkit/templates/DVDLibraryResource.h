#pragma once

#include "Platterkit/model/DVDLibraryButtonResource.h"
#include "Platterkit/model/DVDLibraryFrameResource.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuBackgroundResource.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QVariantMap>
#include <memory>

/**
 * The process-wide menu template library. It reads a template folder once, turns every template
 * into DVDMenu pages (one per aspect) whose items refer to the library's button and frame resources,
 * and keeps those resources and the backgrounds. The folder and its layout come from the installed
 * DVDLibraryHooks: the application reads "menu_template_old" in the older layout; the library's own
 * default is the newer layout, which saveMenuResourceTemplate writes.
 *
 * Reached from the main thread; the first share() must not race with another. The lists are
 * replaced whole by each load and may be read from any thread.
 */
class DVDLibraryResource : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        QList<std::shared_ptr<DVDLibraryButtonResource>> buttons READ buttons WRITE setButtons)
    Q_PROPERTY(QList<std::shared_ptr<DVDLibraryFrameResource>> frames READ frames WRITE setFrames)
    Q_PROPERTY(QList<std::shared_ptr<DVDMenuBackgroundResource>> backgrounds READ backgrounds WRITE
                   setBackgrounds)
    Q_PROPERTY(QList<std::shared_ptr<DVDMenu>> menus READ menus WRITE setMenus)
public:
    Q_INVOKABLE DVDLibraryResource() = default;

    // The one library of the process, made and loaded on first call and kept for the life of the
    // process.
    static std::shared_ptr<DVDLibraryResource> share();

    // Reads resourcePath() in the layout loadNewTemplate() names. A missing folder leaves every
    // list empty; the result is false then and lastError() says why.
    bool load();

    // The template folder; empty when there is none.
    QString resourcePath() const;
    // Whether the template folder is read in the newer layout.
    bool loadNewTemplate() const;

    // Read one layout from folder. Folder listings are taken in name order (numbers in names
    // compare by value) and hidden entries are skipped, so the same folder always gives the same
    // library. A missing folder gives empty lists and false. A template whose property list is
    // missing or damaged contributes no page (in the older layout its background is still listed)
    // and is named in lastError(), but the rest of the folder still loads and the result stays
    // true.
    bool loadOldTemplate(const QString &folder);
    bool loadMenuResourceTemplate(const QString &folder);

    // A template page picked at random; null when the library holds none.
    std::shared_ptr<DVDMenu> defaultMenu() const;
    // The last page whose identifier equals the string; null when none does.
    std::shared_ptr<DVDMenu> dvdMenuForIdentifier(const QString &identifier) const;
    // The last page of the given aspect whose category is "Cartoon" and name "10" (the page the
    // application installs when the disc's aspect changes); null when the library holds none.
    std::shared_ptr<DVDMenu> defaultMenuForAspectType(qint64 aspectType) const;

    // The last resource whose path ends with the string or whose name equals it; null for an empty
    // string or when nothing matches.
    std::shared_ptr<DVDLibraryFrameResource> frameResourceForPath(const QString &path) const;
    std::shared_ptr<DVDLibraryButtonResource> buttonResourceForPath(const QString &path) const;
    std::shared_ptr<DVDMenuBackgroundResource> backgroundResourceForPath(const QString &path) const;
    template <class Resource>
    static std::shared_ptr<Resource>
    findResourceIn(const QString &path, const QList<std::shared_ptr<Resource>> &resources);

    // A new picture read from the template folder joined with relativePath; null when the folder,
    // the path or the picture is missing or unreadable.
    QImage imageWithName(const QString &relativePath) const;

    // Writes the library in the newer layout under root (by default "menu_template.plugin" in the
    // user's temporary folder), replacing the four folders it writes. Returns the folder written,
    // or an empty string when anything could not be written (lastError() says what; the rest is
    // still written). Showing the folder to the user is the caller's business.
    QString saveMenuResourceTemplate(const QString &root = QString());
    // The page property list of the newer layout; nil values leave their key out.
    QVariantMap templateMenuToDict(const DVDMenu &menu) const;

    // Removes whatever is at path and creates the folder with its parents.
    bool createDir(const QString &path);
    // Loads the picture at a relative path of the template folder and writes it with saveImageTo.
    bool saveImagePathTo(const QString &relativePath, const QString &destination);
    // Writes the picture as PNG, atomically: the file is replaced whole or not at all.
    bool saveImageTo(const QImage &image, const QString &destination);

    // Hooks for text item settings in the newer layout; the library keeps none.
    QVariant menuTextItemInfo(const DVDMenuItem &item) const;
    void loadMenuTextItemWithInfo(DVDMenuItem &item, const QVariant &info);
    double scalePointWith(double, double) const { return 0; }

    QList<std::shared_ptr<DVDLibraryButtonResource>> buttons() const;
    void setButtons(const QList<std::shared_ptr<DVDLibraryButtonResource>> &buttons);
    QList<std::shared_ptr<DVDLibraryFrameResource>> frames() const;
    void setFrames(const QList<std::shared_ptr<DVDLibraryFrameResource>> &frames);
    QList<std::shared_ptr<DVDMenuBackgroundResource>> backgrounds() const;
    void setBackgrounds(const QList<std::shared_ptr<DVDMenuBackgroundResource>> &backgrounds);
    QList<std::shared_ptr<DVDMenu>> menus() const;
    void setMenus(const QList<std::shared_ptr<DVDMenu>> &menus);

    // Why the last load or save fell short; empty after a clean one.
    QString lastError() const;

    // One template page from an older-layout layout dictionary: a copy of page, sized to size,
    // with the title frames of "Frame" and then the previous, next and play buttons. Null when the
    // dictionary is missing (an invalid variant or not a dictionary).
    std::shared_ptr<DVDMenu>
    menuDictSize(const DVDMenu &page, const QVariant &dict, QSizeF size) const;

private:
    // Forgets the previous load (lists and errors); false, with the reason noted, when folder is
    // not a folder.
    bool startLoad(const QString &folder);
    std::shared_ptr<DVDMenuItem> dictPointNameSize(const QVariantMap &dict,
                                                   const QString &pointKey,
                                                   const QString &nameKey,
                                                   QSizeF size) const;
    std::shared_ptr<DVDMenu> menuFromPageFile(const QString &path, const QString &fileName);
    void noteError(const QString &message);

    mutable QMutex m_lock;
    QList<std::shared_ptr<DVDLibraryButtonResource>> m_buttons;
    QList<std::shared_ptr<DVDLibraryFrameResource>> m_frames;
    QList<std::shared_ptr<DVDMenuBackgroundResource>> m_backgrounds;
    QList<std::shared_ptr<DVDMenu>> m_menus;
    QStringList m_errors;
};

using DVDLibraryResourceRef = std::shared_ptr<DVDLibraryResource>;

template <class Resource>
std::shared_ptr<Resource>
DVDLibraryResource::findResourceIn(const QString &path,
                                   const QList<std::shared_ptr<Resource>> &resources)
{
    if (path.isEmpty())
        return nullptr;
    for (auto it = resources.crbegin(); it != resources.crend(); ++it) {
        const auto &resource = *it;
        if (resource && (resource->path().endsWith(path) || resource->name() == path))
            return resource;
    }
    return nullptr;
}
