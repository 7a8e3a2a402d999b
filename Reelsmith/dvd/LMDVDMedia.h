#pragma once

#include <QString>
#include <cstdint>
#include <memory>

/**
 * One run of sectors in a title set's title-VOB domain (VTS_nn_1.VOB, VTS_nn_2.VOB ... read as
 * one run of 2048-byte sectors, numbered from the domain's first sector): a whole VOB, or the part
 * of a title that plays without a jump.
 *
 * A small value object held by std::shared_ptr; built while a disc is opened and not changed
 * afterwards, so any thread may read it.
 */
class LMDVDMedia
{
public:
    LMDVDMedia() = default;
    LMDVDMedia(int32_t start, int32_t count, int32_t vobId)
        : start_sector(start)
        , sector_count(count)
        , vob_id(vobId)
    {}

    int32_t start_sector = 0;
    int32_t sector_count = 0;
    int32_t vob_id = 0;

    /** One past the last sector. */
    int64_t end_sector() const { return int64_t(start_sector) + sector_count; }

    /**
     * The part of this run inside [start, start + count) as a new run (vob_id 0); null when the
     * two do not overlap.
     */
    std::shared_ptr<LMDVDMedia> subMediaAt(int32_t start, int32_t count) const;

    /** "start:%d count:%d". */
    QString description() const;
};
