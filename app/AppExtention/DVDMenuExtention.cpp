#include "app/AppExtention/DVDMenuExtention.h"

#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/DVDMenuItemExtention.h"

#include <algorithm>

namespace DVDMenuExtention {
namespace {

DVDMenuItemRef lastItem(const DVDMenu &page, bool (*predicate)(const DVDMenuItem &))
{
    const DVDMenuItemList items = page.items();
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        if (*it && predicate(**it))
            return *it;
    }
    return nullptr;
}

// The smallest k >= 1 with k x k >= n.
qsizetype gridSide(qsizetype n)
{
    qsizetype k = 1;
    while (k * k < n)
        ++k;
    return k;
}

} // namespace

DVDMenuItemList filterItems(const DVDMenu &page,
                            const std::function<bool(const DVDMenuItem &)> &predicate)
{
    DVDMenuItemList out;
    for (const auto &item : page.items()) {
        if (item && predicate(*item))
            out.append(item);
    }
    return out;
}

DVDMenuItemList titleItems(const DVDMenu &page)
{
    return filterItems(page, DVDMenuItemExtention::isTitle);
}

DVDMenuItemList staticTextItems(const DVDMenu &page)
{
    return filterItems(page, DVDMenuItemExtention::isStaticText);
}

DVDMenuItemList textTitleItems(const DVDMenu &page)
{
    return filterItems(page, DVDMenuItemExtention::isTextTitle);
}

DVDMenuItemList buttonItems(const DVDMenu &page)
{
    return filterItems(page, [](const DVDMenuItem &item) { return item.isButtonItem(); });
}

DVDMenuItemRef preButtonItem(const DVDMenu &page)
{
    return lastItem(page, DVDMenuItemExtention::isPreButtonItem);
}

DVDMenuItemRef nextButtonItem(const DVDMenu &page)
{
    return lastItem(page, DVDMenuItemExtention::isNextButtonItem);
}

qsizetype maxTitleCount(const DVDMenu &page)
{
    return titleItems(page).size();
}

bool isTextMenu(const DVDMenu &page)
{
    const DVDMenuItemList titles = titleItems(page);
    return !titles.isEmpty() && titles.last()->isTextItem();
}

QRectF rectForMenuItemIndex(qsizetype index, qsizetype titleCount, QSizeF size)
{
    const qsizetype k = gridSide(titleCount);
    index = std::max<qsizetype>(index, 0);
    const double cellWidth = (size.width() - double(k + 1) * 5) / double(k);
    const double cellHeight = (size.height() - double(k + 1) * 5 - 70) / double(k);
    const double x = double(index % k) * (cellWidth + 5) + 5;
    const double y = size.height() - double(index / k + 1) * (5 + cellHeight);
    return QRectF(x, y, cellWidth, cellHeight);
}

QRectF getTextRectWithIndex(const DVDMenu &page, qsizetype index, qsizetype totalCount)
{
    Q_UNUSED(totalCount);
    const QRectF inset = QRectF(QPointF(0, 0), page.menuSize()).adjusted(50, 30, -50, -30);
    double x = inset.x();
    if (index >= 5)
        x += inset.width() / 2;
    const double y = inset.height() - 70.0 * double(index % 5 + 1) + 20;
    return QRectF(double(float(x)), double(float(y)), 200, 50);
}

} // namespace DVDMenuExtention
