#pragma once

// The menu editor's views of one page: its elements by kind, and the default places of new title
// and text elements. Pure functions over the page; the thread that owns it calls them.

#include "Platterkit/model/DVDMenuItem.h"

#include <QRectF>
#include <QSizeF>
#include <functional>

class DVDMenu;

namespace DVDMenuExtention {

// The page's items that satisfy predicate, in items order.
DVDMenuItemList filterItems(const DVDMenu &page,
                            const std::function<bool(const DVDMenuItem &)> &predicate);
DVDMenuItemList titleItems(const DVDMenu &page);
DVDMenuItemList staticTextItems(const DVDMenu &page);
DVDMenuItemList textTitleItems(const DVDMenu &page);
DVDMenuItemList buttonItems(const DVDMenu &page);
// The last previous / next button, or null.
DVDMenuItemRef preButtonItem(const DVDMenu &page);
DVDMenuItemRef nextButtonItem(const DVDMenu &page);
// The number of title items.
qsizetype maxTitleCount(const DVDMenu &page);
// The last title item shows its text.
bool isTextMenu(const DVDMenu &page);

// Cell index of the smallest square grid of k x k cells that holds titleCount titles on a page of
// size, 5 points apart, with a 70-point band kept free at the bottom.
QRectF rectForMenuItemIndex(qsizetype index, qsizetype titleCount, QSizeF size);
// A 200 x 50 text rectangle in two columns of five on the page (index 5 and on in the right
// column); the total is not used.
QRectF getTextRectWithIndex(const DVDMenu &page, qsizetype index, qsizetype totalCount);

} // namespace DVDMenuExtention
