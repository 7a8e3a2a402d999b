#pragma once

#include "Reelsmith/dvd/LMDVD.h"
#include "Reelsmith/media/LMMediaSource.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <memory>

typedef struct dvd_file_s dvd_file_t;
struct AVIOContext;

/**
 * A media source over one title of a DVD-Video structure, or over one sector run of it: the
 * demuxer reads the title-VOB sectors through a custom I/O context, as if they were one MPEG
 * program stream file. Streams are numbered by DVD stream id (isDVD), and the audio and
 * subpicture names and the subpicture palette come from the IFO files.
 *
 * A source over a title (media null) is demuxed run by run: createMedias opens one source per run
 * and places them one after another on one timeline. A source over a run reads that run only.
 *
 * Held by std::shared_ptr; holds its LMDVD. Like every source it is used from one thread at a
 * time (its movie's decode queue); reads of the shared reader take the disc's ioLock(), so sources
 * of one disc may be read from different threads at once.
 */
class LMDVDSource : public LMMediaSource
{
public:
    /** The size of the I/O buffer and of the largest packet handed to the demuxer. */
    static constexpr int kIOBufferSize = 1048576;

    LMDVDSource(std::shared_ptr<LMDVD> dvd,
                std::shared_ptr<LMDVDTitleSet> titleSet,
                std::shared_ptr<LMDVDTitle> title,
                std::shared_ptr<LMDVDMedia> media);
    ~LMDVDSource() override;

    std::shared_ptr<LMDVD> dvd() const { return m_dvd; }
    std::shared_ptr<LMDVDTitleSet> title_set() const { return m_titleSet; }
    /** Null for a source over a VOB run. */
    std::shared_ptr<LMDVDTitle> title() const { return m_title; }
    /** Null for a source over a whole title. */
    std::shared_ptr<LMDVDMedia> media() const { return m_media; }

    bool isDVD() const override { return true; }
    /** The disc's path. */
    QString path() const override;
    /** The title's palette; null without a title. */
    const uint32_t *palette() const override;
    std::optional<QStringList> audioNames() const override;
    std::optional<QStringList> subtitleNames() const override;
    /** The title set's display aspect, "4:3" or "16:9"; null without a title set. */
    QString dvdDisplayAspectRatio() const override;
    /** The run's count when media is set, else the title's. */
    int64_t sector_count() const;
    /** sector_count x 2048. */
    int64_t filesize() const override;
    /** The title's title_id when title is set, else the run's vob_id. */
    int32_t source_id() const;
    /** "<volume>_<title set>_<source_id>". */
    QString name() const override;
    /** "dvd-source:<disc>:<source>", unique to this source object. */
    QString sourceKey() const override;

    /** One copy of this source per run of its title, each with media set to that run. */
    QList<std::shared_ptr<LMDVDSource>> dvdMediaSources() const;
    /**
     * The medias of the source itself (a run) or of each run of its title, placed one after
     * another: a run with neither video nor audio, or of 0.1 s or less, is left out and takes no
     * room on the timeline.
     */
    QList<std::shared_ptr<LMFFMedia>> createMediasWithStreams(const LMIndexSet &streams) override;

    /**
     * The custom I/O context, made on first use (the title VOBs are opened then); null when the
     * title set has no title VOBs or FFmpeg cannot allocate it. Owned by the source.
     */
    AVIOContext *avio_context() const override;

    /**
     * Reads up to count sectors from index (relative to the source) into buffer; answers the
     * sectors read, 0 past the end or after a failed read (which has_read_error then reports).
     * A title source reads across its runs as if they were one; one call reads within one run.
     */
    int64_t readBlock(int64_t index, int64_t count, uint8_t *buffer);
    bool has_read_error() const { return m_errorCount > 0; }
    void clear_read_error() { m_errorCount = 0; }
    /** Consecutive failed reads. */
    int32_t has_error_time() const { return m_errorCount; }

    // What the I/O callbacks do, callable directly.
    /**
     * Reads at read_offset: an unaligned or short read stops at the end of its sector, an aligned
     * one reads whole sectors. AVERROR_EOF at the end and for a negative position, AVERROR(EIO)
     * when the sectors cannot be read.
     */
    int readPacket(uint8_t *buffer, int size);
    /** SEEK_SET, SEEK_CUR, SEEK_END, AVSEEK_SIZE (the size, position kept); AVERROR(ENOSYS) else. */
    int64_t seekTo(int64_t offset, int whence);
    int64_t read_offset() const { return m_readOffset; }
    /** Size of the title VOBs in sectors, known once the reader is open. */
    uint32_t blocks() const { return m_blocks; }

protected:
    std::shared_ptr<LMMediaSource> makeEmptyCopy() const override;

private:
    bool openReader() const;

    std::shared_ptr<LMDVD> m_dvd;
    std::shared_ptr<LMDVDTitleSet> m_titleSet;
    std::shared_ptr<LMDVDTitle> m_title;
    std::shared_ptr<LMDVDMedia> m_media;
    // Made lazily by the const avio_context() hook the demuxer calls.
    mutable dvd_file_t *m_reader = nullptr;
    mutable AVIOContext *m_ioContext = nullptr;
    mutable uint32_t m_blocks = 0;
    int64_t m_readOffset = 0;
    int32_t m_errorCount = 0;
};
