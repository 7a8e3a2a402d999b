#pragma once

#include "Platterkit/model/DVDMenuBackgroundResource.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/model/DVDMenuPage.h"
#include "platform/KeyedObject.h"

#include <QImage>
#include <QMutex>
#include <QRectF>
#include <QSizeF>

class DLCustomDrawer;
class QPainter;

/**
 * One menu page: its canvas size, background and elements (back to front). Pages live in a
 * DVDLibrary's menus; `parent` (the element that leads to a sub-page) does not keep that element
 * alive. Used from one thread at a time.
 */
class DVDMenu : public platform::KeyedObject, public DVDMenuPage
{
    Q_OBJECT
    Q_PROPERTY(QString menuSizeObject READ menuSizeObject WRITE setMenuSizeObject)
    Q_PROPERTY(QSizeF menuSize READ menuSize WRITE setMenuSize)
    Q_PROPERTY(double duration READ duration WRITE setDuration)
    Q_PROPERTY(QList<std::shared_ptr<DVDMenuItem>> items READ items WRITE setItems)
    Q_PROPERTY(ObjectRef music READ music WRITE setMusic)
    Q_PROPERTY(ObjectRef parent READ parent WRITE setParent)
    Q_PROPERTY(std::shared_ptr<DVDMenuBackgroundResource> backgroundResource READ backgroundResource
                   WRITE setBackgroundResource)
    Q_PROPERTY(QString thumbnailPath READ thumbnailPath WRITE setThumbnailPath)
    Q_PROPERTY(QString backgroundImageRectObject READ backgroundImageRectObject WRITE
                   setBackgroundImageRectObject)
    Q_PROPERTY(QRectF backgroundImageRect READ backgroundImageRect WRITE setBackgroundImageRect)
    Q_PROPERTY(ObjectRef menu_drawer READ menu_drawer WRITE setMenu_drawer)
    Q_PROPERTY(bool use_menu_drawer READ use_menu_drawer WRITE setUse_menu_drawer)
    Q_PROPERTY(QString category READ category WRITE setCategory)
    Q_PROPERTY(QString name READ name WRITE setName)
    Q_PROPERTY(qint64 backgroundImageDrawMode READ backgroundImageDrawMode WRITE
                   setBackgroundImageDrawMode)
    Q_PROPERTY(qint64 menuID READ menuID WRITE setMenuID)
public:
    Q_INVOKABLE DVDMenu();
    ~DVDMenu() override;

    QStringList allCoderKeys() const override;

    // A new page with every value shared, then items replaced by a copy of each element (new
    // elements, same jump targets); the new page keeps the same parent.
    std::shared_ptr<platform::KeyedObject> copy() const override;
    std::shared_ptr<DVDMenu> copyMenu() const;

    // 854 x 480 for a non-zero aspect type, else 640 x 480.
    static QSizeF menuSizeForAspectType(qint64 aspectType);

    QSizeF menuSize() const override { return m_menuSize; }
    void setMenuSize(QSizeF size) { m_menuSize = size; }
    // The size in the platform's text form, "{w, h}".
    QString menuSizeObject() const;
    void setMenuSizeObject(const QString &text);

    double duration() const override { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }

    QList<std::shared_ptr<DVDMenuItem>> items() const override { return m_items; }
    void setItems(const QList<std::shared_ptr<DVDMenuItem>> &items) { m_items = items; }

    ObjectRef music() const { return m_music; }
    void setMusic(const ObjectRef &music) { m_music = music; }

    // The element leading to this sub-page; null for a main page or once that element is gone.
    // (Hides QObject::parent: records never have a QObject parent.)
    ObjectRef parent() const override { return m_parent.lock(); }
    void setParent(const ObjectRef &element) { m_parent = element; }

    std::shared_ptr<DVDMenuBackgroundResource> backgroundResource() const
    {
        return m_backgroundResource;
    }
    void setBackgroundResource(const std::shared_ptr<DVDMenuBackgroundResource> &resource);
    QString thumbnailPath() const { return m_thumbnailPath; }
    void setThumbnailPath(const QString &path) { m_thumbnailPath = path; }

    QRectF backgroundImageRect() const { return m_backgroundImageRect; }
    void setBackgroundImageRect(const QRectF &rect) { m_backgroundImageRect = rect; }
    // The rectangle in the platform's text form, "{{x, y}, {w, h}}".
    QString backgroundImageRectObject() const;
    void setBackgroundImageRectObject(const QString &text);

    ObjectRef menu_drawer() const { return m_menuDrawer; }
    void setMenu_drawer(const ObjectRef &drawer) { m_menuDrawer = drawer; }
    // The drawer when it conforms to DLCustomDrawer, else null.
    DLCustomDrawer *customDrawer() const;
    bool use_menu_drawer() const { return m_useMenuDrawer; }
    void setUse_menu_drawer(bool use) { m_useMenuDrawer = use; }

    QString category() const { return m_category; }
    void setCategory(const QString &category) { m_category = category; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // How the background picture is fitted (0 fit inside, 1 fill, other values stretch), as the
    // installed DVDLibraryHooks answers it; the library's answer is the stored value.
    qint64 backgroundImageDrawMode() const;
    void setBackgroundImageDrawMode(qint64 mode) { m_backgroundImageDrawMode = mode; }
    qint64 storedBackgroundImageDrawMode() const { return m_backgroundImageDrawMode; }

    qint64 menuID() const { return m_menuID; }
    void setMenuID(qint64 menuID) { m_menuID = menuID; }

    // "category-name-aspectType", or "name-aspectType" without a category.
    QString identifier() const;
    // 1 when the page's width-to-height ratio is 0.1 or more away from 4:3, else 0.
    qint64 aspectType() const override;

    // The background picture, loaded from backgroundResource on first use and kept until
    // updateBackgroundImage.
    QImage backgroundImage() const;
    void updateBackgroundImage();
    QImage backgroundCache() const;

    // The target of the page's "play" button, as the installed DVDLibraryHooks answers it.
    ObjectRef menuPlayJump() const;
    // The library's answer: the jump of the first element whose jump is set and is not a page.
    ObjectRef libraryMenuPlayJump() const;
    // The last button element whose button resource name ends with suffix, or null.
    std::shared_ptr<DVDMenuItem> buttonForButtonType(const QString &suffix) const;

    // --- Pictures: defined with the renderers (Platterkit/render/DVDMenuDrawing.cpp) -----------
    // The page at timeUs, menuSize pixels (one per point), drawn by Platterkit/render; null when a
    // side of menuSize is zero.
    QImage imageAtTime(qint64 timeUs) override;
    // The page as a thumbnail, and as its layout (frames only, disabled elements included).
    QImage thumbnailImage();
    QImage menuThumbnailImage();
    // Drawing steps of imageAtTime, for callers that compose a page themselves. painter must be
    // y-up (menu points, origin at the lower left).
    void drawItemImage(QPainter *painter, DVDMenuItem *item, const QImage &image) const;
    void drawBackgroundImageRect(QPainter *painter, const QImage &image, const QRectF &rect) const;
    void drawBackgroundImageRectMode(QPainter *painter,
                                     const QImage &image,
                                     const QRectF &rect,
                                     qint64 mode) const;
    // a's size fitted inside b, centred; scaleRectFull covers b instead (platform/FitRect.h).
    static QRectF scaleRectIn(const QRectF &a, const QRectF &b);
    static QRectF scaleRectFull(const QRectF &a, const QRectF &b);

private:
    QSizeF m_menuSize;
    double m_duration = 0.0;
    QList<std::shared_ptr<DVDMenuItem>> m_items;
    ObjectRef m_music;
    std::weak_ptr<QObject> m_parent;
    std::shared_ptr<DVDMenuBackgroundResource> m_backgroundResource;
    QString m_thumbnailPath;
    QRectF m_backgroundImageRect;
    ObjectRef m_menuDrawer;
    bool m_useMenuDrawer = false;
    QString m_category;
    QString m_name;
    qint64 m_backgroundImageDrawMode = 0;
    qint64 m_menuID = 0;
    mutable QMutex m_cacheLock;
    mutable QImage m_backgroundCache;
};

using DVDMenuRef = std::shared_ptr<DVDMenu>;
using DVDMenuList = QList<DVDMenuRef>;
