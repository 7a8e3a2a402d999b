#pragma once

#include "Reelsmith/dvd/LMDVD.h"

#include <QString>
#include <cstdint>
#include <memory>

typedef struct dvd_file_s dvd_file_t;

/**
 * One file of a DVD-Video structure (an IFO, BUP or VOB file part), addressed as libdvdread
 * sees it: a domain of a title set, of which this is one part, at a byte offset within the domain.
 * Lets a caller copy or inspect the files of an image as if they were files.
 *
 * Held by std::shared_ptr; holds its LMDVD. One thread at a time; reads take the disc's ioLock().
 */
class LMDVDFile
{
public:
    enum Domain : int32_t { InfoFile = 0, BackupInfoFile = 1, MenuVobs = 2, TitleVobs = 3 };

    LMDVDFile(std::shared_ptr<LMDVD> dvd,
              int32_t domain,
              int32_t titleNum,
              int32_t filePart,
              int64_t fileSize,
              int64_t offset);
    ~LMDVDFile();
    LMDVDFile(const LMDVDFile &) = delete;
    LMDVDFile &operator=(const LMDVDFile &) = delete;

    std::shared_ptr<LMDVD> dvd() const { return m_dvd; }
    int32_t dvd_read_domain() const { return m_domain; }
    /** 0 for the video manager, else the title set. */
    int32_t title_num() const { return m_titleNum; }
    /** 0-based part within the domain. */
    int32_t file_part() const { return m_filePart; }
    /** Bytes of the earlier parts of the same domain. */
    int64_t offset() const { return m_offset; }

    /** Opens the domain of the title set; true when open. */
    bool open();
    void close();
    bool isOpen() const { return m_file != nullptr; }
    int64_t filesize() const { return m_fileSize; }
    /**
     * Reads at offset within this file part. IFO and BUP files read bytes; VOB files read whole
     * sectors (size / 2048 of them, from the sector holding offset). Answers the bytes read, -1
     * when not open or the read fails. Opens the file first when needed.
     */
    int64_t read(uint8_t *buffer, int64_t offset, int64_t size);
    /** "VIDEO_TS/<name>", e.g. "VIDEO_TS/VTS_01_1.VOB" for part 0 of title set 1's title VOBs. */
    QString filename() const;
    /** "%p %@ %lld %lld": object, file name, size, offset. */
    QString description() const;

private:
    std::shared_ptr<LMDVD> m_dvd;
    int32_t m_domain;
    int32_t m_titleNum;
    int32_t m_filePart;
    int64_t m_fileSize;
    int64_t m_offset;
    dvd_file_t *m_file = nullptr;
};
