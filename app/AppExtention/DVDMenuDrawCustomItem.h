#pragma once

// The picture of a menu element that leads to a sub-menu page: the picture of that page's first
// title, or black when the page leads to no title. The application's library policy answers the
// disc model's page-jump drawing with it. The thread that renders the page calls it.

#include <QtGlobal>
#include <memory>

class DVDMenu;
class DVDMenuItem;
class DVDTitleData;
class QPainter;

namespace DVDMenuDrawCustomItem {

// The jump of the first element, in the page's order, that leads to a title record; null when
// none does.
std::shared_ptr<DVDTitleData> findFirstTitleData(const DVDMenu &page);
// Draws item's picture at timeUs into context through the page's first title, or a black picture.
void itemFillImageAtTimeContext(const DVDMenu &page,
                                DVDMenuItem &item,
                                qint64 timeUs,
                                QPainter *context);

} // namespace DVDMenuDrawCustomItem
