#include "app/AppExtention/DVDMenuDrawCustomItem.h"

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/DVDTitleData.h"

#include <QImage>

namespace DVDMenuDrawCustomItem {

std::shared_ptr<DVDTitleData> findFirstTitleData(const DVDMenu &page)
{
    for (const auto &item : page.items()) {
        if (!item)
            continue;
        if (auto title = std::dynamic_pointer_cast<DVDTitleData>(item->jump()))
            return title;
    }
    return nullptr;
}

void itemFillImageAtTimeContext(const DVDMenu &page,
                                DVDMenuItem &item,
                                qint64 timeUs,
                                QPainter *context)
{
    if (const auto title = findFirstTitleData(page)) {
        title->itemFillImageAtTimeContext(&item, timeUs, context);
        return;
    }
    QImage black(10, 10, QImage::Format_RGBA8888);
    black.fill(QColor(0, 0, 0));
    item.drawImageContext(black, context);
}

} // namespace DVDMenuDrawCustomItem
