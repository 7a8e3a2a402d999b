#pragma once

#include "Reelsmith/dvd/LMDVDTitleSet.h"

#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>

typedef struct dvd_reader_s dvd_reader_t;
class LMDVDFile;
class LMDVDSource;

namespace Reelsmith {
// discwright.reelsmith.dvd: DVD-Video structures read through libdvdread.
Q_DECLARE_LOGGING_CATEGORY(lcDvd)
} // namespace Reelsmith

/**
 * An opened DVD-Video structure (a disc image or device, a folder holding VIDEO_TS, or the VIDEO_TS
 * folder itself): the libdvdread reader and the model built from its IFO files, that is the title
 * sets with their VOB sector runs and titles. It hands out the media sources of its titles and the
 * objects that address its files.
 *
 * Held by std::shared_ptr; every source and file made from it holds it too, so the reader lives
 * as long as any of them. The model is built by open() and read-only afterwards. The reader is
 * shared by all of them: on an image or device one block read is a seek and a read on one file
 * descriptor, so every use of the reader after open() (opening, reading and closing its files)
 * must hold ioLock(). Any thread.
 */
class LMDVD : public std::enable_shared_from_this<LMDVD>
{
public:
    static constexpr int kSectorSize = 2048;
    /** A title with this many sector runs or more is offered as its runs, one source each. */
    static constexpr int dvdTitleSplitVobCount = 200;

    /** The opened disc model, or null when libdvdread cannot open path. */
    static std::shared_ptr<LMDVD> open(const QString &path);

    /** An empty model over reader (taken over and closed with the object; may be null). */
    LMDVD(dvd_reader_t *reader, const QString &path);
    ~LMDVD();
    LMDVD(const LMDVD &) = delete;
    LMDVD &operator=(const LMDVD &) = delete;

    /** The libdvdread reader; use only while holding ioLock(). */
    dvd_reader_t *dvd_reader() const { return m_reader; }
    /** The one lock around every use of the shared reader. */
    std::mutex &ioLock() const { return m_ioLock; }

    QString path() const { return m_path; }
    /** The disc's name: its UDF volume identifier, else the folder's name without extension. */
    QString volume() const { return m_volume; }
    void setVolume(const QString &volume) { m_volume = volume; }
    /** In title-set order. */
    QList<std::shared_ptr<LMDVDTitleSet>> title_sets;
    /** The region-mask byte of the video manager, as stored. */
    int32_t region = 0;
    /** titleSources gives one source per VOB instead of one per title. */
    bool split_by_vob = false;

    /** titleVobSources when split_by_vob is set, else titleSources_default. */
    QList<std::shared_ptr<LMDVDSource>> titleSources();
    /**
     * One source per title of every title set; a title with dvdTitleSplitVobCount runs or more
     * gives one source per run instead.
     */
    QList<std::shared_ptr<LMDVDSource>> titleSources_default();
    /** One source per VOB run (with sectors) of every title set. */
    QList<std::shared_ptr<LMDVDSource>> titleVobSources();
    /** Every IFO, BUP and VOB file of the structure, one object per file part. */
    QList<std::shared_ptr<LMDVDFile>> dvdFiles();

    /**
     * The name open() gives a structure without a UDF volume identifier: for a folder named
     * VIDEO_TS (any case) its parent's name, else the path's last component without extension.
     */
    static QString volumeNameForPath(const QString &path);

private:
    void readTitleSets();
    std::shared_ptr<LMDVDTitleSet> readTitleSet(int number);

    dvd_reader_t *m_reader = nullptr;
    mutable std::mutex m_ioLock;
    QString m_path;
    QString m_volume;
};
