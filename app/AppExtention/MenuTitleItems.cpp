#include "app/AppExtention/MenuTitleItems.h"

#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/Function/CanvasClamp.h"

#include <algorithm>

namespace MenuTitleItems {

namespace {

double leftColumnX(const DVDMenu &page)
{
    return page.aspectType() != 0 ? 76 : 20;
}

void appendItem(DVDMenu &page, const DVDMenuItemRef &item)
{
    // The page's list is replaced whole, never changed in place: views may hold the old one.
    DVDMenuItemList items = page.items();
    items.append(item);
    page.setItems(items);
}

} // namespace

DVDMenuItemList currentPageTitles(const DVDMenu &page)
{
    return DVDMenuExtention::titleItems(page);
}

DVDMenuItemRef blankMenuItmeWithoutData(const DVDMenu &page)
{
    for (const auto &item : currentPageTitles(page)) {
        if (!item->jump())
            return item;
    }
    return nullptr;
}

bool foundCollisionRect(const DVDMenu &page, const QRectF &r)
{
    for (const auto &item : currentPageTitles(page)) {
        const QRectF grown = item->frame().adjusted(-1, -1, 1, 1);
        if (grown.intersected(r) == r)
            return true;
    }
    return false;
}

QRectF importDataDeflaultMenuItemFrame(const DVDMenu &page)
{
    const qsizetype n = currentPageTitles(page).size();
    const double x0 = leftColumnX(page);
    const double x1 = x0 + kSlotWidth + 20;
    switch (n) {
    case 0:
        return QRectF(x0, kUpperRowY, kSlotWidth, kSlotHeight);
    case 1:
        return QRectF(x1, kUpperRowY, kSlotWidth, kSlotHeight);
    case 2:
        return QRectF(x0, kLowerRowY, kSlotWidth, kSlotHeight);
    case 3:
        return QRectF(x1, kLowerRowY, kSlotWidth, kSlotHeight);
    default:
        break;
    }
    QRectF candidate(x0, kUpperRowY, kSlotWidth, kSlotHeight);
    // Each step leaves the previous place, and n items can block at most n places.
    for (qsizetype step = 0; step <= n && foundCollisionRect(page, candidate); ++step)
        candidate.translate(20, -20);
    return CanvasClamp::boundInCanvasLimit(candidate, QRectF(QPointF(0, 0), page.menuSize()));
}

DVDMenuItemRef createNewTitleItemWithFrame(const DVDMenuItem *prototype, const QRectF &frame)
{
    if (!prototype)
        return nullptr;
    auto item = std::dynamic_pointer_cast<DVDMenuItem>(prototype->copy());
    if (!item)
        return nullptr;
    item->setJump(nullptr);
    item->setFrame(frame);
    item->setFrameResource(prototype->frameResource());
    item->setUseFrame(true);
    return item;
}

TempEditDataRef createTempEditDataWhenAddMenuItem(const DVDMenuItemRef &item,
                                                  TempEditDataList &records)
{
    auto record = std::make_shared<TempEditData>();
    record->setCurrentMedia(item);
    if (item) {
        const QRectF frame = item->frame();
        record->setTitleOldFrame(frame);
        record->setTitleFrameTemplateBili(frame.width() / std::max(frame.height(), 1.0));
    }
    record->setButtonHasShadow(true);
    if (!records.contains(record))
        records.append(record);
    return record;
}

void removeTempDataWhenDeleteMenuItem(const DVDMenuItem &item, TempEditDataList &records)
{
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i]->currentMedia().get() == &item) {
            records.removeAt(i);
            return;
        }
    }
}

void changeTempEditDataOldFrameWhenShapeViewMove(const DVDMenuItem &item,
                                                 const TempEditDataList &records)
{
    if (!DVDMenuItemExtention::isFrameTitle(item) && !item.isButtonItem())
        return;
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if ((*it)->currentMedia().get() == &item) {
            (*it)->setTitleOldFrame(item.frame());
            return;
        }
    }
}

DVDMenuItemRef importTitle(DVDMenu &page,
                           const ObjectRef &title,
                           const DVDMenuItem *prototype,
                           TempEditDataList &records)
{
    if (auto blank = blankMenuItmeWithoutData(page)) {
        blank->setJump(title);
        return blank;
    }
    auto item = createNewTitleItemWithFrame(prototype, importDataDeflaultMenuItemFrame(page));
    if (!item)
        return nullptr;
    item->setJump(title);
    createTempEditDataWhenAddMenuItem(item, records);
    appendItem(page, item);
    return item;
}

DVDMenuItemRef addNewTitleItem(DVDMenu &page,
                               const ObjectRef &title,
                               const QRectF &frame,
                               const DVDMenuItem *prototype,
                               TempEditDataList &records)
{
    auto item = createNewTitleItemWithFrame(prototype, frame);
    if (!item)
        return nullptr;
    if (title)
        item->setJump(title);
    createTempEditDataWhenAddMenuItem(item, records);
    appendItem(page, item);
    return item;
}

} // namespace MenuTitleItems
