#include "app/AppExtention/TitlePageEdits.h"

#include "Platterkit/templates/DVDLibraryResource.h"
#include "app/AppExtention/Convert/DVDMenuItemFindTempEditData.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/MenuTitleItems.h"

#include <algorithm>

namespace TitlePageEdits {

QList<DVDMenuRef> templatePagesForAspect(qint64 aspectType)
{
    QList<DVDMenuRef> pages;
    const auto library = DVDLibraryResource::share();
    if (!library)
        return pages;
    for (const auto &page : library->menus()) {
        if (page && page->aspectType() == aspectType)
            pages.append(page);
    }
    return pages;
}

DVDMenuRef blankTemplatePage(qint64 aspectType)
{
    const auto pages = templatePagesForAspect(aspectType);
    return pages.size() > kBlankTemplateIndex ? pages[kBlankTemplateIndex] : nullptr;
}

DVDMenuItemRef aNewMenuTitleItem(qint64 aspectType)
{
    const auto page = blankTemplatePage(aspectType);
    if (!page)
        return nullptr;
    for (const auto &item : page->items()) {
        if (item && DVDMenuItemExtention::isFrameTitle(*item))
            return item;
    }
    return nullptr;
}

void removeAllTitlesInNewMenu(DVDMenu &page, bool holdOne, TempEditDataList &records)
{
    DVDMenuItemList doomed;
    for (const auto &item : page.items()) {
        if (!item)
            continue;
        if (DVDMenuItemExtention::isTitle(*item)) {
            doomed.append(item);
        } else if (item->isButtonItem()) {
            MenuTitleItems::createTempEditDataWhenAddMenuItem(item, records);
            FindTempEditData::updateItemFrameAutoFit(*item);
        }
    }
    if (holdOne && !doomed.isEmpty())
        doomed.removeFirst();
    DVDMenuItemList kept;
    for (const auto &item : page.items()) {
        if (item && !doomed.contains(item))
            kept.append(item);
    }
    page.setItems(kept);
    for (const auto &item : kept) {
        if (item->isButtonItem())
            item->setFrame(item->frame().translated(-80, 30));
    }
}

DVDMenuRef createNewSubMenuPageForItem(DVDLibrary &dvd,
                                       const DVDMenuItemRef &item,
                                       const DVDTitleDataRef &title,
                                       TempEditDataList &records)
{
    const auto blank = blankTemplatePage(dvd.aspectType() == 0 ? 0 : 1);
    if (!blank)
        return nullptr;
    auto page = std::dynamic_pointer_cast<DVDMenu>(blank->copy());
    if (!page)
        return nullptr;
    removeAllTitlesInNewMenu(*page, bool(title), records);
    if (title) {
        for (const auto &candidate : page->items()) {
            if (DVDMenuItemExtention::isFrameTitle(*candidate)) {
                candidate->setJump(title);
                candidate->setUseFrame(true);
                MenuTitleItems::createTempEditDataWhenAddMenuItem(candidate, records);
                break;
            }
        }
    }
    page->setParent(item);
    auto menus = dvd.menus();
    menus.append(page);
    dvd.setMenus(menus);
    return page;
}

TempEditDataRef recordForItem(const DVDMenuItem &item, const TempEditDataList &records)
{
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if ((*it)->currentMedia().get() == &item)
            return *it;
    }
    return nullptr;
}

std::pair<DVDMenuItemRef, DVDMenuRef> itemLeadingTo(const DVDLibrary &dvd, const ObjectRef &title)
{
    if (!title)
        return {nullptr, nullptr};
    for (const auto &page : dvd.menus()) {
        if (!page)
            continue;
        for (const auto &item : page->items()) {
            if (item && DVDMenuItemExtention::isTitle(*item) && item->jump() == title)
                return {item, page};
        }
    }
    return {nullptr, nullptr};
}

QList<DVDTitleDataRef> addNewMenuTitleWithMedias(DVDLibrary &dvd,
                                                 QList<DVDTitleDataRef> &titleArray,
                                                 const MediaDataList &clips,
                                                 const DVDTitleDataRef &title,
                                                 TempEditDataList &records)
{
    QList<DVDTitleDataRef> made;
    if (!title)
        return made;
    const auto [item, page] = itemLeadingTo(dvd, title);
    const TempEditDataRef record = item ? recordForItem(*item, records) : nullptr;
    const qsizetype position = titleArray.indexOf(title);
    qsizetype index = position < 0 ? titleArray.size() : std::min(position + 2, titleArray.size());
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const auto &clip = clips[i];
        auto newTitle = std::make_shared<DVDTitleData>();
        newTitle->setName(title->name());
        newTitle->setMediaArray({clip});
        clip->setSuperData(newTitle);
        titleArray.insert(std::min(index, titleArray.size()), newTitle);
        ++index;
        made.append(newTitle);
        if (!item)
            continue;
        auto itemCopy = std::dynamic_pointer_cast<DVDMenuItem>(item->copy());
        if (!itemCopy)
            continue;
        itemCopy->setJump(newTitle);
        if (page) {
            const double shift = 10.0 * double(i + 1);
            QRectF frame = item->frame().translated(shift, -shift);
            if (frame.y() < 0)
                frame.moveTop(0);
            const double pageWidth = page->menuSize().width();
            if (frame.x() + frame.width() > pageWidth)
                frame.moveLeft(pageWidth - frame.width());
            itemCopy->setFrame(frame);
            auto items = page->items();
            items.append(itemCopy);
            page->setItems(items);
        }
        if (record) {
            auto recordCopy = std::dynamic_pointer_cast<TempEditData>(record->copy());
            if (!recordCopy)
                continue;
            recordCopy->setCurrentMedia(itemCopy);
            records.append(recordCopy);
            const auto movie = clip->movie();
            const auto pieces = movie ? movie->validVCMovies() : QList<VCMovieRef>();
            if (!pieces.isEmpty())
                recordCopy->setVideoImageTime(pieces.first()->trimStart());
            recordCopy->updateAllEditToItem();
        }
    }
    return made;
}

void updateMenuItemTitleImage(const DVDMenuItem &item, const TempEditDataList &records)
{
    const auto title = std::dynamic_pointer_cast<DVDTitleData>(item.jump());
    if (!title || title->mediaArray().isEmpty())
        return;
    const auto record = recordForItem(item, records);
    const auto movie = title->mediaArray().first()->movie();
    if (!record || !movie)
        return;
    const auto pieces = movie->validVCMovies();
    if (pieces.isEmpty())
        return;
    const qint64 time = record->titleVideoImageTime();
    for (const auto &piece : pieces) {
        if (piece->trimStart() <= time && time <= piece->trimStop())
            return;
    }
    record->setTitleVideoImageTime(pieces.first()->trimStart());
}

void updateMenuItemTitleImageWithMedia(const DVDLibrary &dvd,
                                       const MediaData &clip,
                                       const TempEditDataList &records)
{
    const auto title = clip.superData();
    if (!title || title->mediaArray().isEmpty() || title->mediaArray().first().get() != &clip)
        return;
    for (const auto &page : dvd.menus()) {
        if (!page)
            continue;
        for (const auto &item : page->items()) {
            if (item && item->jump() == title)
                updateMenuItemTitleImage(*item, records);
        }
    }
}

} // namespace TitlePageEdits
