#pragma once

#include "Reelsmith/media/LMMediaSource.h"

/** An external subtitle file (SRT, ASS/SSA, SAMI, ...): a source whose isSubtitle is true. */
class LMSubtitleSource : public LMMediaSource
{
public:
    static std::shared_ptr<LMMediaSource> mediaWithPath(const QString &path);
    using LMMediaSource::LMMediaSource;
    bool isSubtitle() const override { return true; }

protected:
    std::shared_ptr<LMMediaSource> makeEmptyCopy() const override;
};
