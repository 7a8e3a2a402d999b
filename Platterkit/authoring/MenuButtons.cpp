#include "Platterkit/authoring/MenuButtons.h"

namespace Platterkit {

bool MenuButtons::becomesButton(const DVDMenuItem &item)
{
    return item.jump() && !item.disabled();
}

QString MenuButtons::buttonName(qsizetype pageIndex, qsizetype itemIndex)
{
    return QStringLiteral("b%1%2").arg(pageIndex).arg(itemIndex);
}

QList<qsizetype> MenuButtons::buttonItemIndexes(const DVDMenu &page)
{
    QList<qsizetype> indexes;
    const DVDMenuItemList items = page.items();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (becomesButton(items[i]))
            indexes.append(i);
    }
    return indexes;
}

} // namespace Platterkit
