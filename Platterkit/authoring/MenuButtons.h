#pragma once

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"

#include <QList>
#include <QString>

namespace Platterkit {

/**
 * Which elements of a menu page become DVD buttons, and what they are called. The dvdauthor XML
 * and the spumux XML must agree on both: dvdauthor binds its button commands to the buttons that
 * spumux lays into the menu stream by name, and its highlight limit counts them.
 */
class MenuButtons
{
public:
    // An element becomes a button when it leads somewhere and is not disabled. A disabled element
    // is neither drawn nor highlighted, so it gets no button in either file.
    static bool becomesButton(const DVDMenuItem &item);
    static bool becomesButton(const DVDMenuItemRef &item) { return item && becomesButton(*item); }

    // "b<page index><element index>", both 0-based, the element counted among all the page's
    // items (buttons or not). Unique within one page, which is all dvdauthor needs.
    static QString buttonName(qsizetype pageIndex, qsizetype itemIndex);

    // The indexes (into the page's items) of the elements that become buttons, in items order.
    static QList<qsizetype> buttonItemIndexes(const DVDMenu &page);
    // How many buttons the page has.
    static qsizetype buttonCount(const DVDMenu &page) { return buttonItemIndexes(page).size(); }
};

} // namespace Platterkit
