#include "Reelsmith/joiner/VideoJoinerItem.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(VideoJoinerItem)

QStringList VideoJoinerItem::allCoderKeys() const
{
    return {QStringLiteral("path"), QStringLiteral("position"), QStringLiteral("rate")};
}
