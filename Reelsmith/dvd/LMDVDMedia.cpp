#include "Reelsmith/dvd/LMDVDMedia.h"

#include <algorithm>

std::shared_ptr<LMDVDMedia> LMDVDMedia::subMediaAt(int32_t start, int32_t count) const
{
    const int64_t from = std::max<int64_t>(start_sector, start);
    const int64_t to = std::min<int64_t>(end_sector(), int64_t(start) + count);
    if (to <= from)
        return nullptr;
    return std::make_shared<LMDVDMedia>(int32_t(from), int32_t(to - from), 0);
}

QString LMDVDMedia::description() const
{
    return QStringLiteral("start:%1 count:%2").arg(start_sector).arg(sector_count);
}
