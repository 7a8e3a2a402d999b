#include "app/AppExtention/Convert/MarkerItem.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(MarkerItem)

QStringList MarkerItem::allCoderKeys() const
{
    return {QStringLiteral("markShowTime"), QStringLiteral("markOriginTime")};
}
