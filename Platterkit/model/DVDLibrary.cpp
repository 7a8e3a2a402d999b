#include "Platterkit/model/DVDLibrary.h"

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDTitleResource.h"
#include "Platterkit/model/DVDTitleVideo.h"
#include "Platterkit/model/Messages.h"
#include "Platterkit/model/ModelLog.h"
#include "platform/Assert.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyedUnarchiver.h"

DW_REGISTER_CLASS(DVDLibrary)

namespace {

// A production title stands for its first chapter wherever a jump target is resolved.
ObjectRef firstChapterOrSelf(const ObjectRef &object)
{
    if (const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(object)) {
        const ObjectList chapters = video->chapters();
        return chapters.isEmpty() ? nullptr : chapters.first();
    }
    return object;
}

bool isNilValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return true;
    return platform::isObjectVariant(value) && !platform::objectFromVariant(value);
}

} // namespace

DVDLibrary::DVDLibrary() = default;
DVDLibrary::~DVDLibrary() = default;

QStringList DVDLibrary::allCoderKeys() const
{
    return {QStringLiteral("currentMenu"),
            QStringLiteral("menus"),
            QStringLiteral("titles"),
            QStringLiteral("noMenu"),
            QStringLiteral("aspectType"),
            QStringLiteral("format"),
            QStringLiteral("dvdBitrate"),
            QStringLiteral("playFirstTitle"),
            QStringLiteral("playTitleSequence"),
            QStringLiteral("menuLoop"),
            QStringLiteral("loopVideo"),
            QStringLiteral("customDataStorage"),
            QStringLiteral("autoPlayVideos"),
            QStringLiteral("loopAutoPlayVideos"),
            QStringLiteral("menuAutoJumpVideo"),
            QStringLiteral("loopSingleVideo")};
}

void DVDLibrary::decoderKey(platform::KeyedUnarchiver &coder, const QString &key)
{
    if (key == QLatin1String("titles") && coder.containsValueForKey(key)) {
        // Decoded once here to look at the kinds; the second decode below takes the same values
        // from the unarchiver's table.
        const QVariant value = coder.decodeObjectForKey(key);
        if (coder.failed())
            return;
        for (const QVariant &item : value.toList()) {
            const ObjectRef title = platform::objectFromVariant(item);
            // Titles are application objects the library cannot name; these kinds are surely
            // none.
            if (qobject_cast<const DVDMenu *>(title.get())
                || qobject_cast<const DVDMenuItem *>(title.get())
                || qobject_cast<const DVDLibrary *>(title.get())) {
                coder.failWithError(
                    QStringLiteral("DVDLibrary cannot hold a %1 under key \"titles\"")
                        .arg(QString::fromLatin1(title->metaObject()->className())));
                return;
            }
        }
    }
    KeyedObject::decoderKey(coder, key);
}

// --- Custom data store -------------------------------------------------------------------------

void DVDLibrary::setObjectForKey(const QVariant &value, const QString &key)
{
    QVariantMap storage = m_customDataStorage;
    if (isNilValue(value))
        storage.remove(key);
    else
        storage.insert(key, value);
    m_customDataStorage = storage;
}

QVariant DVDLibrary::objectForKey(const QString &key) const
{
    return m_customDataStorage.value(key);
}

// --- Derived values ----------------------------------------------------------------------------

QSize DVDLibrary::dvdVideoSize() const
{
    return QSize(720, m_format == 1 ? 576 : 480);
}

std::pair<double, double> DVDLibrary::dvdVideoTimebase() const
{
    return m_format == 1 ? std::pair(1.0, 25.0) : std::pair(1001.0, 30000.0);
}

QSizeF DVDLibrary::menuSizeForMenu(const DVDMenuPage *menu)
{
    return DVDMenu::menuSizeForAspectType(menu ? menu->aspectType() : 0);
}

// --- Pages and jumps ---------------------------------------------------------------------------

void DVDLibrary::updateDVDMenu()
{
    if (m_autoMenus && !m_noMenu)
        updateDVDMenus();
    updateDVDMenuTitleSize();
    updateDVDMenuJump(nullptr);
}

void DVDLibrary::updateDVDMenus()
{
    const ObjectList titles = m_titles;
    QList<DVDMenuRef> oldMenus = m_menus;
    oldMenus.removeAll(nullptr);
    QList<DVDMenuRef> taken;
    qsizetype titleIndex = 0;

    auto hasTitleSlot = [](const DVDMenuRef &menu) {
        for (const auto &item : menu->items()) {
            if (item && item->isTitleSlot())
                return true;
        }
        return false;
    };

    // The first page is always taken, even with no titles.
    for (qsizetype pageIndex = 0; pageIndex == 0 || titleIndex < titles.size(); ++pageIndex) {
        DVDMenuRef page;
        if (pageIndex < oldMenus.size()) {
            page = oldMenus[pageIndex];
        } else {
            // Without a template, or with one that cannot take a title, another page would never
            // place the remaining titles; they stay unplaced.
            if (!m_currentMenu || (pageIndex > 0 && !hasTitleSlot(m_currentMenu))) {
                qCWarning(Platterkit::lcModel).nospace()
                    << titles.size() - titleIndex << " titles left without a menu page: "
                    << (m_currentMenu ? "the template page has no title slot" : "no template page");
                break;
            }
            page = m_currentMenu->copyMenu();
            if (!page)
                break;
        }
        taken.append(page);
        for (const auto &item : page->items()) {
            if (!item || !item->isTitleSlot())
                continue;
            item->setJump(titleIndex < titles.size() ? titles[titleIndex] : nullptr);
            ++titleIndex;
        }
    }

    QList<DVDMenuRef> surplus;
    for (qsizetype i = taken.size(); i < oldMenus.size(); ++i)
        surplus.append(oldMenus[i]);
    m_menus = taken + surplus;
    if (surplus.isEmpty())
        return;
    // A dropped page takes its sub-pages with it, as deleting it would; otherwise their parent
    // elements would vanish and they would turn into main pages. Every jump into them is cleared.
    QList<DVDMenuRef> doomed = surplus;
    for (const auto &page : surplus) {
        for (const auto &below : submenusForMenu(page)) {
            if (!doomed.contains(below))
                doomed.append(below);
        }
    }
    // A sub-page that stands before its parent's page in menus may just have been given titles;
    // removing it with that page would take those titles off the disc. It stays, as a main page,
    // since the element that led to it goes away.
    for (const auto &page : taken) {
        if (!doomed.contains(page))
            continue;
        doomed.removeAll(page);
        const DVDMenuRef holder = menuForItem(page->parent());
        if (holder && doomed.contains(holder))
            page->setParent(nullptr);
    }
    removeMenus(doomed);
}

void DVDLibrary::updateDVDMenuTitleSize()
{
    const QSizeF size = DVDMenu::menuSizeForAspectType(m_aspectType);
    for (const ObjectRef &title : m_titles)
        Platterkit::sendSetVideoSize(title.get(), size);
}

void DVDLibrary::updateDVDMenuJump(const ObjectRef &element)
{
    QSet<const DVDMenu *> wired;
    wireChain(element, wired);
}

void DVDLibrary::wireChain(const ObjectRef &element, QSet<const DVDMenu *> &wired)
{
    const QList<DVDMenuRef> chain = submenusForMenuItem(element);
    if (chain.isEmpty())
        return;
    // An element with sub-pages leads to them, not to its own title.
    if (element)
        updateMenuElementJump(element, chain.first());

    for (qsizetype i = 0; i < chain.size(); ++i) {
        const DVDMenuRef &page = chain[i];
        if (wired.contains(page.get())) {
            qCWarning(Platterkit::lcModel) << "menu page parent links form a loop; page"
                                           << page->identifier() << "is wired once";
            continue;
        }
        wired.insert(page.get());
        const ObjectRef previous
            = i > 0 ? ObjectRef(chain[i - 1]) : ObjectRef(menuForItem(element));
        const ObjectRef next = i + 1 < chain.size() ? ObjectRef(chain[i + 1]) : nullptr;
        if (const auto button = page->buttonForButtonType(QStringLiteral("next")))
            button->setJump(next);
        if (const auto button = page->buttonForButtonType(QStringLiteral("pre")))
            button->setJump(previous);
        if (const auto button = page->buttonForButtonType(QStringLiteral("play")))
            button->setJump(page->menuPlayJump());
        for (const auto &item : page->items()) {
            if (item)
                wireChain(item, wired);
        }
    }
}

void DVDLibrary::updateMenuElementJump(const ObjectRef &element, const ObjectRef &target)
{
    Platterkit::sendSetJump(element.get(), target);
}

QList<DVDMenuRef> DVDLibrary::submenusForMenuItem(const ObjectRef &element) const
{
    QList<DVDMenuRef> chain;
    for (const auto &page : m_menus) {
        if (page && page->parent().get() == element.get())
            chain.append(page);
    }
    return chain;
}

QList<DVDMenuRef> DVDLibrary::submenusForMenu(const DVDMenuRef &menu) const
{
    QList<DVDMenuRef> out;
    if (!menu)
        return out;
    QSet<const DVDMenu *> seen{menu.get()};
    collectSubmenus(menu.get(), seen, out);
    return out;
}

void DVDLibrary::collectSubmenus(const DVDMenu *menu,
                                 QSet<const DVDMenu *> &seen,
                                 QList<DVDMenuRef> &out) const
{
    QList<DVDMenuRef> level;
    for (const auto &item : menu->items()) {
        if (!item)
            continue;
        for (const auto &page : submenusForMenuItem(item)) {
            if (seen.contains(page.get()))
                continue;
            seen.insert(page.get());
            level.append(page);
        }
    }
    out.append(level);
    for (const auto &page : level)
        collectSubmenus(page.get(), seen, out);
}

void DVDLibrary::deleteDVDMenu(const DVDMenuRef &menu)
{
    if (!menu)
        return;
    QList<DVDMenuRef> doomed = submenusForMenu(menu);
    doomed.append(menu);
    removeMenus(doomed);
}

void DVDLibrary::removeMenus(const QList<DVDMenuRef> &doomed)
{
    QSet<const QObject *> doomedPages;
    for (const auto &page : doomed)
        doomedPages.insert(page.get());

    for (const auto &page : doomed) {
        updateMenuElementJump(page->parent(), nullptr);
        for (const auto &item : page->items()) {
            if (item)
                item->setJump(nullptr);
        }
    }

    QList<DVDMenuRef> kept;
    for (const auto &page : m_menus) {
        if (page && !doomedPages.contains(page.get()))
            kept.append(page);
    }
    // Any other element still leading into a removed page would lead nowhere on the disc.
    QList<DVDMenuRef> others = kept;
    if (m_currentMenu)
        others.append(m_currentMenu);
    for (const auto &page : others) {
        for (const auto &item : page->items()) {
            if (item && doomedPages.contains(item->jump().get()))
                item->setJump(nullptr);
        }
    }
    m_menus = kept;
}

qsizetype DVDLibrary::indexOfMenu(const ObjectRef &menu) const
{
    if (!menu)
        return -1;
    for (qsizetype i = 0; i < m_menus.size(); ++i) {
        if (m_menus[i].get() == menu.get())
            return i;
    }
    return -1;
}

DVDMenuRef DVDLibrary::menuForItem(const ObjectRef &element) const
{
    if (!element)
        return nullptr;
    for (const auto &page : m_menus) {
        if (!page)
            continue;
        for (const auto &item : page->items()) {
            if (item.get() == element.get())
                return page;
        }
    }
    return nullptr;
}

DVDMenuRef DVDLibrary::getFirstMenu() const
{
    return m_menus.isEmpty() ? nullptr : m_menus.first();
}

// --- Titles and what follows -------------------------------------------------------------------

ObjectList DVDLibrary::getAllNormalTitles() const
{
    ObjectList normal;
    for (const ObjectRef &title : m_titles) {
        if (title && !DVDTitleVideo::isWarningTitle(title))
            normal.append(title);
    }
    return normal;
}

ObjectRef DVDLibrary::getWarningTitle() const
{
    ObjectRef warning;
    for (const ObjectRef &title : m_titles) {
        if (DVDTitleVideo::isWarningTitle(title))
            warning = title;
    }
    return warning;
}

ObjectList DVDLibrary::getChaptersForItem(const ObjectRef &element) const
{
    ObjectList found;
    if (!element)
        return found;
    for (const ObjectRef &title : m_titles) {
        const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
        if (!video)
            continue;
        for (const ObjectRef &chapter : video->chapters()) {
            const DVDChapterVideo *chapterVideo = platform::conformsTo<DVDChapterVideo>(chapter);
            if (chapterVideo && platform::indexOfObject(chapterVideo->titles(), element) >= 0)
                found.append(chapter);
        }
    }
    return found;
}

ObjectRef DVDLibrary::getTitleForChapter(const ObjectRef &chapter) const
{
    if (!chapter)
        return nullptr;
    for (const ObjectRef &title : m_titles) {
        const DVDTitleVideo *video = platform::conformsTo<DVDTitleVideo>(title);
        if (video && platform::indexOfObject(video->chapters(), chapter) >= 0)
            return title;
    }
    return nullptr;
}

ObjectRef DVDLibrary::getJumpObjForMenuElement(const ObjectRef &element) const
{
    const DVDMenuElement *menuElement = platform::conformsTo<DVDMenuElement>(element);
    if (!menuElement)
        return nullptr;
    const ObjectRef target = menuElement->jump();
    if (!target)
        return nullptr;
    if (platform::conformsTo<DVDTitleResource>(target) || platform::conformsTo<DVDMenuPage>(target))
        return target;
    const ObjectList chapters = getChaptersForItem(element);
    return chapters.isEmpty() ? nullptr : chapters.first();
}

ObjectRef DVDLibrary::jumpForAutoPlayVideoPostItem(const ObjectRef &title) const
{
    const ObjectList normal = getAllNormalTitles();
    const qsizetype index = platform::indexOfObject(normal, title);
    ObjectRef next;
    if (index >= 0 && index + 1 < normal.size() && index + 1 < m_autoPlayVideos)
        next = normal[index + 1];
    else if (m_loopAutoPlayVideos && !normal.isEmpty())
        next = normal.first();
    return firstChapterOrSelf(next);
}

ObjectRef DVDLibrary::jumpForActionItem(const ObjectRef &object) const
{
    if (!object) {
        if (m_noMenu || m_playFirstTitle) {
            const ObjectList normal = getAllNormalTitles();
            return normal.isEmpty() ? nullptr : normal.first();
        }
        return getFirstMenu();
    }

    if (const DVDMenuPage *page = platform::conformsTo<DVDMenuPage>(object)) {
        if (m_menuAutoJumpVideo) {
            const auto items = page->items();
            return items.isEmpty() ? nullptr : getJumpObjForMenuElement(items.first());
        }
        if (m_menuLoop)
            return object;
        const QList<DVDMenuRef> chain = submenusForMenuItem(page->parent());
        if (chain.isEmpty())
            return nullptr;
        for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
            if (chain[i].get() == object.get())
                return chain[i + 1];
        }
        return chain.first();
    }

    if (platform::conformsTo<DVDMenuElement>(object))
        return getJumpObjForMenuElement(object);

    if (platform::conformsTo<DVDChapterVideo>(object))
        return nullptr;

    if (platform::conformsTo<DVDTitleResource>(object)
        || platform::conformsTo<DVDTitleVideo>(object)) {
        if (m_loopSingleVideo)
            return firstChapterOrSelf(object);
        const ObjectList normal = getAllNormalTitles();
        const qsizetype index = platform::indexOfObject(normal, object);
        ObjectRef next;
        if (index >= 0 && index + 1 < normal.size()) {
            if (m_playTitleSequence || m_noMenu)
                next = normal[index + 1];
        } else if (((m_playTitleSequence && m_loopVideo) || m_noMenu) && !normal.isEmpty()) {
            next = normal.first();
        }
        return firstChapterOrSelf(next);
    }
    return nullptr;
}

// --- Authoring ---------------------------------------------------------------------------------
// authorContent is defined with the authoring writer (Platterkit/authoring/DVDLibraryAuthoring.cpp)
// and taskCurrentArguments with the tool runner (Platterkit/tools/DVDLibraryTools.cpp), so the
// model includes neither.

QString DVDLibrary::customDVDMenuVideoOptions() const
{
    return QString();
}
