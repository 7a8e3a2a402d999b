#include "Reelsmith/dvd/LMDVDTitleSet.h"

std::shared_ptr<LMDVDMedia> LMDVDTitleSet::mediaForVob(int index) const
{
    if (index < 0 || index >= medias.size())
        return nullptr;
    return medias.at(index);
}

QString LMDVDTitleSet::description() const
{
    return QStringLiteral("format:%1 aspect_ratio:%2 audios:(%3) subtitle:(%4)")
        .arg(dvdFormat.isNull() ? QStringLiteral("(null)") : dvdFormat,
             display_aspect_ratio.isNull() ? QStringLiteral("(null)") : display_aspect_ratio,
             audioLanguages.join(QStringLiteral(", ")),
             subtitleLanguages.join(QStringLiteral(", ")));
}
