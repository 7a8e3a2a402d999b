#include "Reelsmith/dvd/LMDVDTitle.h"

int64_t LMDVDTitle::sector_count() const
{
    int64_t count = 0;
    for (const auto &media : medias)
        count += media->sector_count;
    return count;
}

QString LMDVDTitle::description() const
{
    return QStringLiteral("title:%1 count:%2").arg(title_id).arg(sector_count());
}
