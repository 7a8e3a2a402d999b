#pragma once

#include "Reelsmith/dvd/LMDVDMedia.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

/**
 * One program chain of a title set: its number, its subpicture palette and the sector runs it
 * plays, in play order.
 *
 * Held by std::shared_ptr; built while a disc is opened and read-only afterwards (any thread).
 */
class LMDVDTitle
{
public:
    /** 1-based program chain number within the title set. */
    int32_t title_id = 0;
    /** Luma/chroma entries as the program chain stores them: Y bits 16-23, Cr 8-15, Cb 0-7. */
    std::array<uint32_t, 16> palette{};
    QList<std::shared_ptr<LMDVDMedia>> medias;

    /** The sum of the runs' counts. */
    int64_t sector_count() const;

    /** "title:%d count:%d". */
    QString description() const;
};
