#pragma once

// How the menu editor puts title items on a page: the prototype copy, the default slot of an
// imported title, the reuse of an empty slot, and the style record that every new item gets. Free
// functions over one page and the project's list of style records, which the caller owns and
// passes in (the main window's list while editing, a new project's list while one is read or
// made). The thread that owns the page and the list calls them.

#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Convert/TempEditData.h"

#include <QRectF>

namespace MenuTitleItems {

// Size of a default slot and the rows and columns of the first four.
constexpr double kSlotWidth = 240;
constexpr double kSlotHeight = 180;
constexpr double kUpperRowY = 276;
constexpr double kLowerRowY = 76;

// The page's title items, in page order.
DVDMenuItemList currentPageTitles(const DVDMenu &page);
// The first title item without a jump; null when every slot is taken.
DVDMenuItemRef blankMenuItmeWithoutData(const DVDMenu &page);
// Whether some title item lies on r: its frame grown by 1 point on every side holds all of r.
bool foundCollisionRect(const DVDMenu &page, const QRectF &r);
// Where an imported title goes when no place was drawn for it: a 2 x 2 grid for the first four,
// then down and to the right from the upper left slot until no item lies there, held inside the
// page.
QRectF importDataDeflaultMenuItemFrame(const DVDMenu &page);
// A copy of the prototype at frame, without the prototype's jump, showing its frame picture. Null
// without a prototype.
DVDMenuItemRef createNewTitleItemWithFrame(const DVDMenuItem *prototype, const QRectF &frame);

// A new style record for item, appended to records (unless already there) and returned.
TempEditDataRef createTempEditDataWhenAddMenuItem(const DVDMenuItemRef &item,
                                                  TempEditDataList &records);
// Removes the first record of item; nothing when it has none.
void removeTempDataWhenDeleteMenuItem(const DVDMenuItem &item, TempEditDataList &records);
// Frame titles and buttons: the last record of item remembers its current frame.
void changeTempEditDataOldFrameWhenShapeViewMove(const DVDMenuItem &item,
                                                 const TempEditDataList &records);

// An imported title on page: the first empty slot takes it; otherwise a new item from prototype
// at the default slot, with a style record, is appended. Returns the item that now leads to the
// title; null when no item could be made (no prototype).
DVDMenuItemRef importTitle(DVDMenu &page,
                           const ObjectRef &title,
                           const DVDMenuItem *prototype,
                           TempEditDataList &records);
// A new item at a drawn or dropped frame, leading to title (an empty slot when null), with a
// style record, appended to page. Null without a prototype.
DVDMenuItemRef addNewTitleItem(DVDMenu &page,
                               const ObjectRef &title,
                               const QRectF &frame,
                               const DVDMenuItem *prototype,
                               TempEditDataList &records);

} // namespace MenuTitleItems
