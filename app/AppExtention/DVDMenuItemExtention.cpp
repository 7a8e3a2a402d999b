#include "app/AppExtention/DVDMenuItemExtention.h"

#include "Platterkit/model/DVDMenuItem.h"

namespace DVDMenuItemExtention {

bool isTitle(const DVDMenuItem &item)
{
    return !item.isStaticItem() && !item.isButtonItem();
}

bool isFrameTitle(const DVDMenuItem &item)
{
    return isTitle(item) && !item.isTextItem();
}

bool isTextTitle(const DVDMenuItem &item)
{
    return isTitle(item) && item.isTextItem();
}

bool isStaticText(const DVDMenuItem &item)
{
    return item.isStaticItem() && item.isTextItem();
}

bool isButtonNamed(const DVDMenuItem &item, const QString &suffix)
{
    return item.isButtonItem() && item.buttonResource()
           && item.buttonResource()->name().endsWith(suffix);
}

bool isPreButtonItem(const DVDMenuItem &item)
{
    return isButtonNamed(item, QStringLiteral("-pre"));
}

bool isNextButtonItem(const DVDMenuItem &item)
{
    return isButtonNamed(item, QStringLiteral("-next"));
}

bool isPlayButtonItem(const DVDMenuItem &item)
{
    return isButtonNamed(item, QStringLiteral("-play"));
}

} // namespace DVDMenuItemExtention
