#pragma once

#include "Reelsmith/dvd/LMDVDMedia.h"
#include "Reelsmith/dvd/LMDVDTitle.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

/**
 * One title set of a DVD-Video structure: its video standard and aspect, the display names of its
 * audio and subpicture streams, one sector run per VOB id and its titles.
 *
 * Held by std::shared_ptr; built while a disc is opened and read-only afterwards (any thread).
 */
class LMDVDTitleSet
{
public:
    /** 1-based number of the title set. */
    int32_t title_set = 0;
    /** "ntsc" or "pal"; null for other standards. */
    QString dvdFormat;
    /** "4:3" or "16:9"; null for the reserved values. */
    QString display_aspect_ratio;
    /** One display name per stream, in stream order. */
    QStringList audioLanguages;
    QStringList subtitleLanguages;
    /** One run per VOB id (index = VOB id - 1); a VOB id without cells has count 0. */
    QList<std::shared_ptr<LMDVDMedia>> medias;
    QList<std::shared_ptr<LMDVDTitle>> titles;

    /** The media at a 0-based index; null when out of range. */
    std::shared_ptr<LMDVDMedia> mediaForVob(int index) const;

    /** "format:%@ aspect_ratio:%@ audios:%@ subtitle:%@". */
    QString description() const;
};
