#include "Reelsmith/media/LMSubtitleSource.h"

std::shared_ptr<LMMediaSource> LMSubtitleSource::mediaWithPath(const QString &path)
{
    return std::make_shared<LMSubtitleSource>(path);
}

std::shared_ptr<LMMediaSource> LMSubtitleSource::makeEmptyCopy() const
{
    return std::make_shared<LMSubtitleSource>();
}
