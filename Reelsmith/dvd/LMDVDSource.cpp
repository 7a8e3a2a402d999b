#include "Reelsmith/dvd/LMDVDSource.h"

#include "Reelsmith/detail/FFmpegHelpers.h"
#include "Reelsmith/media/LMFFMedia.h"

#include <algorithm>
#include <cstring>
#include <dvdread/dvd_reader.h>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

using Reelsmith::lcDvd;

namespace {

constexpr int kSector = LMDVD::kSectorSize;
// A run this short (engine time) is a menu remnant or a still cell: not worth a place on the
// timeline.
constexpr int64_t kShortestRun = 100000;

int readPacketCallback(void *opaque, uint8_t *buffer, int size)
{
    return static_cast<LMDVDSource *>(opaque)->readPacket(buffer, size);
}

int64_t seekCallback(void *opaque, int64_t offset, int whence)
{
    return static_cast<LMDVDSource *>(opaque)->seekTo(offset, whence);
}

} // namespace

LMDVDSource::LMDVDSource(std::shared_ptr<LMDVD> dvd,
                         std::shared_ptr<LMDVDTitleSet> titleSet,
                         std::shared_ptr<LMDVDTitle> title,
                         std::shared_ptr<LMDVDMedia> media)
    : LMMediaSource(dvd ? dvd->path() : QString())
    , m_dvd(std::move(dvd))
    , m_titleSet(std::move(titleSet))
    , m_title(std::move(title))
    , m_media(std::move(media))
{}

LMDVDSource::~LMDVDSource()
{
    // The demuxer reads through the context freed below.
    closeDemuxer();
    if (m_ioContext) {
        av_freep(&m_ioContext->buffer);
        avio_context_free(&m_ioContext);
    }
    if (m_reader) {
        std::lock_guard guard(m_dvd->ioLock());
        DVDCloseFile(m_reader);
    }
}

std::shared_ptr<LMMediaSource> LMDVDSource::makeEmptyCopy() const
{
    return std::make_shared<LMDVDSource>(m_dvd, m_titleSet, m_title, m_media);
}

QString LMDVDSource::path() const
{
    return m_dvd ? m_dvd->path() : QString();
}

const uint32_t *LMDVDSource::palette() const
{
    return m_title ? m_title->palette.data() : nullptr;
}

std::optional<QStringList> LMDVDSource::audioNames() const
{
    if (!m_titleSet)
        return std::nullopt;
    return m_titleSet->audioLanguages;
}

std::optional<QStringList> LMDVDSource::subtitleNames() const
{
    if (!m_titleSet)
        return std::nullopt;
    return m_titleSet->subtitleLanguages;
}

QString LMDVDSource::dvdDisplayAspectRatio() const
{
    return m_titleSet ? m_titleSet->display_aspect_ratio : QString();
}

int64_t LMDVDSource::sector_count() const
{
    if (m_media)
        return m_media->sector_count;
    return m_title ? m_title->sector_count() : 0;
}

int64_t LMDVDSource::filesize() const
{
    return sector_count() * kSector;
}

int32_t LMDVDSource::source_id() const
{
    if (m_title)
        return m_title->title_id;
    return m_media ? m_media->vob_id : 0;
}

QString LMDVDSource::name() const
{
    return QStringLiteral("%1_%2_%3")
        .arg(m_dvd ? m_dvd->volume() : QString())
        .arg(m_titleSet ? m_titleSet->title_set : 0)
        .arg(source_id());
}

QString LMDVDSource::sourceKey() const
{
    return QString::asprintf("dvd-source:%p:%p",
                             static_cast<const void *>(m_dvd.get()),
                             static_cast<const void *>(this));
}

QList<std::shared_ptr<LMDVDSource>> LMDVDSource::dvdMediaSources() const
{
    QList<std::shared_ptr<LMDVDSource>> sources;
    if (!m_title)
        return sources;
    for (const auto &run : m_title->medias)
        sources.append(std::make_shared<LMDVDSource>(m_dvd, m_titleSet, m_title, run));
    return sources;
}

QList<std::shared_ptr<LMFFMedia>> LMDVDSource::createMediasWithStreams(const LMIndexSet &streams)
{
    QList<std::shared_ptr<LMDVDSource>> runs;
    if (m_media)
        runs.append(std::static_pointer_cast<LMDVDSource>(shared_from_this()));
    else
        runs = dvdMediaSources();
    QList<std::shared_ptr<LMFFMedia>> result;
    int64_t position = 0;
    for (const auto &run : runs) {
        // Without its sectors the base would open the disc's path as a plain file.
        if (!run->avio_context())
            continue;
        const QList<std::shared_ptr<LMFFMedia>> medias
            = run->LMMediaSource::createMediasWithStreams(streams);
        int64_t duration = 0;
        for (const auto &media : medias)
            duration = std::max(duration, media->duration());
        if (medias.isEmpty() || duration <= kShortestRun)
            continue;
        for (const auto &media : medias) {
            media->movie_position = position;
            result.append(media);
        }
        position += std::max<int64_t>(duration, 0);
    }
    return result;
}

bool LMDVDSource::openReader() const
{
    if (m_reader)
        return true;
    if (!m_dvd || !m_dvd->dvd_reader() || !m_titleSet)
        return false;
    std::lock_guard guard(m_dvd->ioLock());
    m_reader = DVDOpenFile(m_dvd->dvd_reader(), m_titleSet->title_set, DVD_READ_TITLE_VOBS);
    if (!m_reader)
        return false;
    const ssize_t size = DVDFileSize(m_reader);
    m_blocks = size > 0 ? uint32_t(size) : 0;
    return true;
}

AVIOContext *LMDVDSource::avio_context() const
{
    if (m_ioContext)
        return m_ioContext;
    if (!openReader()) {
        qCWarning(lcDvd) << "no title VOBs for" << name();
        return nullptr;
    }
    m_ioContext = makeReadContext(
        kIOBufferSize, const_cast<LMDVDSource *>(this), readPacketCallback, seekCallback);
    return m_ioContext;
}

int64_t LMDVDSource::readBlock(int64_t index, int64_t count, uint8_t *buffer)
{
    count = std::min(count, sector_count() - index);
    if (index < 0 || count <= 0 || !m_reader) {
        m_errorCount = 0;
        return 0;
    }
    // The absolute sector: within the run, or within the title's runs read as one.
    int64_t sector = -1;
    if (m_media) {
        sector = m_media->start_sector + index;
    } else if (m_title) {
        int64_t skipped = 0;
        for (const auto &run : m_title->medias) {
            if (index < skipped + run->sector_count) {
                sector = run->start_sector + (index - skipped);
                count = std::min(count, skipped + run->sector_count - index);
                break;
            }
            skipped += run->sector_count;
        }
    }
    ssize_t got = -1;
    if (sector >= 0) {
        std::lock_guard guard(m_dvd->ioLock());
        got = DVDReadBlocks(m_reader, int(sector), size_t(count), buffer);
    }
    if (got <= 0) {
        m_errorCount = std::max(m_errorCount + 1, 1);
        return 0;
    }
    m_errorCount = 0;
    return got;
}

int LMDVDSource::readPacket(uint8_t *buffer, int size)
{
    if (!m_reader)
        return AVERROR(EIO);
    const int64_t n = std::min<int64_t>(size, filesize() - m_readOffset);
    if (m_readOffset < 0 || n < 1)
        return AVERROR_EOF;
    const int64_t sector = m_readOffset / kSector;
    const int within = int(m_readOffset % kSector);
    int64_t result = 0;
    if (n < kSector || within != 0) {
        uint8_t block[kSector];
        if (readBlock(sector, 1, block) != 1)
            return AVERROR(EIO);
        result = std::min<int64_t>(n, kSector - within);
        memcpy(buffer, block + within, size_t(result));
    } else {
        const int64_t read = readBlock(sector, n / kSector, buffer);
        if (read < 1)
            return AVERROR(EIO);
        result = read * kSector;
    }
    m_readOffset += result;
    return int(result);
}

int64_t LMDVDSource::seekTo(int64_t offset, int whence)
{
    clear_read_error();
    return Reelsmith::detail::answerSeek(m_readOffset, offset, whence, filesize());
}
