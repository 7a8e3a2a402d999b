#include "app/AppExtention/DVDLibraryExtention.h"

#include "Platterkit/model/DVDTitleResource.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/DiscwrightLibraryHooks.h"
#include "platform/KeyValue.h"

#include <QMetaObject>

namespace DVDLibraryExtention {
namespace {

const QString kOriginTitleDataKey = QStringLiteral("originTitleData");

bool hasClips(const ObjectRef &title)
{
    if (!title)
        return false;
    if (const auto *resource = platform::conformsTo<DVDTitleResource>(title))
        return !resource->vcmovies().isEmpty();
    if (title->metaObject()->indexOfProperty("vcmovies") < 0)
        return false;
    const QVariant movies = platform::valueForKey(title.get(), QStringLiteral("vcmovies"));
    if (movies.metaType() == QMetaType::fromType<ObjectList>())
        return !movies.value<ObjectList>().isEmpty();
    return movies.canConvert<QVariantList>() && !movies.toList().isEmpty();
}

} // namespace

void install(const QString &resourcesFolder)
{
    DVDLibraryHooks::install(std::make_shared<DiscwrightLibraryHooks>(resourcesFolder));
}

bool isDefaultUseDVDNTSC(const QLocale &locale)
{
    static const QStringList ntscCountries = {QStringLiteral("US"),
                                              QStringLiteral("JP"),
                                              QStringLiteral("CA"),
                                              QStringLiteral("KR"),
                                              QStringLiteral("TW")};
    return ntscCountries.contains(QLocale::territoryToCode(locale.territory()));
}

ObjectList validateTitles(const ObjectList &titles)
{
    ObjectList out;
    for (const ObjectRef &title : titles) {
        if (hasClips(title))
            out.append(title);
    }
    return out;
}

void updateDVDTitles(DVDLibrary &dvd, const ObjectList &titles)
{
    setOriginTitleData(dvd, titles);
    const ObjectList valid = validateTitles(titles);
    if (!dvd.menus().isEmpty() && dvd.titles() == valid)
        return;
    dvd.setTitles(valid);
    updateDVDMenuItems(dvd);
}

ObjectList originTitleData(const DVDLibrary &dvd)
{
    ObjectList out;
    for (const QVariant &value : dvd.objectForKey(kOriginTitleDataKey).toList())
        out.append(platform::objectFromVariant(value));
    return out;
}

void setOriginTitleData(DVDLibrary &dvd, const ObjectList &titles)
{
    QVariantList list;
    for (const ObjectRef &title : titles)
        list.append(QVariant::fromValue(title));
    dvd.setObjectForKey(list, kOriginTitleDataKey);
}

void updateDVDMenuItems(DVDLibrary &dvd)
{
    const DVDMenuRef current = dvd.currentMenu();
    for (const DVDMenuRef &page : dvd.menus()) {
        if (!page)
            continue;
        const DVDMenuRef copy = current ? current->copyMenu() : nullptr;
        page->setMenuSize(copy ? copy->menuSize() : QSizeF());
        page->setItems(copy ? copy->items() : DVDMenuItemList());
        page->updateBackgroundImage();
    }
    dvd.updateDVDMenu();
    const auto menus = dvd.menus();
    if (!menus.isEmpty())
        disableTextItemForMenu(menus.last());
}

void updateDVDMaxTitleCount(DVDLibrary &dvd)
{
    updateDVDMenuItems(dvd);
}

void disableTextItemForMenu(const DVDMenuRef &page)
{
    if (!page)
        return;
    qsizetype valid = 0;
    for (const auto &item : DVDMenuExtention::titleItems(*page))
        valid += item->isValid() ? 1 : 0;
    const DVDMenuItemList texts = DVDMenuExtention::staticTextItems(*page);
    for (qsizetype i = valid; i < texts.size(); ++i)
        texts.at(i)->setDisabled(true);
}

void updateDVDAspect(DVDLibrary &dvd, qint64 aspectType)
{
    updateDVDAspectMenu(dvd, aspectType, !isDVDMenuDisabled(dvd));
}

void updateDVDAspectMenu(DVDLibrary &dvd, qint64 aspectType, bool on)
{
    if (on) {
        // A copy: the template page is the shared library's, and the project's duration and music
        // that replaceCurrentMenu hands over must not end up in every later project's template.
        const DVDMenuRef page = DVDLibraryResourceExtention::defaultMenuForAspectType(aspectType);
        replaceCurrentMenu(dvd, page ? page->copyMenu() : nullptr);
    } else {
        dvd.setAspectType(aspectType);
        dvd.setCurrentMenu(nullptr);
    }
    updateDVDMenuItems(dvd);
}

bool isDVDMenuDisabled(const DVDLibrary &dvd)
{
    return dvd.currentMenu() == nullptr;
}

void setIsDVDMenuDisabled(DVDLibrary &dvd, bool disabled)
{
    updateDVDAspectMenu(dvd, dvd.aspectType(), !disabled);
}

void replaceCurrentMenu(DVDLibrary &dvd, const DVDMenuRef &page)
{
    if (const DVDMenuRef current = dvd.currentMenu(); current && page) {
        page->setDuration(current->duration());
        page->setMusic(current->music());
    }
    dvd.setCurrentMenu(page);
    if (page) {
        dvd.setAspectType(page->aspectType());
        page->updateBackgroundImage();
    }
}

qsizetype maxTitleCount(const DVDLibrary &dvd)
{
    const DVDMenuRef current = dvd.currentMenu();
    return current ? DVDMenuExtention::maxTitleCount(*current) : 0;
}

} // namespace DVDLibraryExtention
