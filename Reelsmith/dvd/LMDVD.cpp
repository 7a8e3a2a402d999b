#include "Reelsmith/dvd/LMDVD.h"

#include "Reelsmith/LibMedia.h"
#include "Reelsmith/dvd/LMDVDFile.h"
#include "Reelsmith/dvd/LMDVDSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
#include <limits>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcDvd, "discwright.reelsmith.dvd", QtWarningMsg)
} // namespace Reelsmith

using Reelsmith::lcDvd;

namespace {

constexpr int32_t kNoSectorYet = std::numeric_limits<int32_t>::max();

// A stream's language as a display name; 65535 (unset on some discs) counts as no language.
QString languageName(uint16_t code)
{
    if (code == 0xffff)
        code = 0;
    QString text;
    for (const char c : {char(code >> 8), char(code & 0xff)}) {
        if (c)
            text.append(QLatin1Char(c));
    }
    return LibMedia::displayStringForLanguage(text);
}

struct IfoCloser
{
    void operator()(ifo_handle_t *ifo) const { ifoClose(ifo); }
};
using IfoHandle = std::unique_ptr<ifo_handle_t, IfoCloser>;

} // namespace

LMDVD::LMDVD(dvd_reader_t *reader, const QString &path)
    : m_reader(reader)
    , m_path(path)
{}

LMDVD::~LMDVD()
{
    if (m_reader)
        DVDClose(m_reader);
}

QString LMDVD::volumeNameForPath(const QString &path)
{
    QFileInfo info(QDir::cleanPath(path));
    if (info.isDir()
        && info.fileName().compare(QLatin1String("video_ts"), Qt::CaseInsensitive) == 0)
        info = QFileInfo(info.absolutePath());
    // A name without a visible extension: "Holiday.dvdmedia" reads as "Holiday".
    return info.completeBaseName();
}

std::shared_ptr<LMDVD> LMDVD::open(const QString &path)
{
    // libdvdread leaks its reader state on a path that is not there.
    if (!QFileInfo::exists(path))
        return nullptr;
    dvd_reader_t *reader = DVDOpen(QFile::encodeName(path).constData());
    if (!reader)
        return nullptr;
    auto dvd = std::make_shared<LMDVD>(reader, path);

    char volumeId[33] = {};
    unsigned char volumeSetId[128] = {};
    if (DVDUDFVolumeInfo(reader, volumeId, sizeof volumeId, volumeSetId, sizeof volumeSetId) == 0
        && volumeId[0])
        dvd->m_volume = QString::fromLatin1(volumeId, qsizetype(strnlen(volumeId, 32)));
    else
        dvd->m_volume = volumeNameForPath(path);

    dvd->readTitleSets();
    return dvd;
}

void LMDVD::readTitleSets()
{
    int count = 0;
    {
        IfoHandle vmg(ifoOpen(m_reader, 0));
        if (!vmg || !vmg->vmgi_mat)
            return;
        count = vmg->vmgi_mat->vmg_nr_of_title_sets;
        region = int32_t((vmg->vmgi_mat->vmg_category >> 16) & 0xff);
        qCInfo(lcDvd, "title_sets %d Region 0x%02x", count, unsigned(~region & 0xff));
    }
    for (int number = 1; number <= count; ++number) {
        if (std::shared_ptr<LMDVDTitleSet> set = readTitleSet(number))
            title_sets.append(set);
    }
}

std::shared_ptr<LMDVDTitleSet> LMDVD::readTitleSet(int number)
{
    IfoHandle ifo(ifoOpen(m_reader, number));
    if (!ifo || !ifo->vtsi_mat || !ifo->vts_pgcit || !ifo->vts_c_adt)
        return nullptr;
    auto set = std::make_shared<LMDVDTitleSet>();
    set->title_set = number;

    const vtsi_mat_t *mat = ifo->vtsi_mat;
    switch (mat->vts_video_attr.video_format) {
    case 0:
        set->dvdFormat = QStringLiteral("ntsc");
        break;
    case 1:
        set->dvdFormat = QStringLiteral("pal");
        break;
    default:
        break;
    }
    switch (mat->vts_video_attr.display_aspect_ratio) {
    case 0:
        set->display_aspect_ratio = QStringLiteral("4:3");
        break;
    case 3:
        set->display_aspect_ratio = QStringLiteral("16:9");
        break;
    default:
        break;
    }
    const int audios = std::min<int>(mat->nr_of_vts_audio_streams, 8);
    for (int i = 0; i < audios; ++i)
        set->audioLanguages.append(languageName(mat->vts_audio_attr[i].lang_code));
    const int subpictures = std::min<int>(mat->nr_of_vts_subp_streams, 32);
    for (int i = 0; i < subpictures; ++i)
        set->subtitleLanguages.append(languageName(mat->vts_subp_attr[i].lang_code));

    // One run per VOB id, spanning every cell the address table gives it.
    const c_adt_t *cells = ifo->vts_c_adt;
    for (int vob = 1; vob <= cells->nr_of_vobs; ++vob)
        set->medias.append(std::make_shared<LMDVDMedia>(kNoSectorYet, 0, vob));
    const int64_t entries = cells->last_byte >= 7 ? (int64_t(cells->last_byte) - 7) / 12 : 0;
    for (int64_t i = 0; i < entries; ++i) {
        const cell_adr_t &cell = cells->cell_adr_table[i];
        std::shared_ptr<LMDVDMedia> media = set->mediaForVob(int(cell.vob_id) - 1);
        if (!media)
            continue;
        const int64_t start = std::min<int64_t>(media->start_sector, cell.start_sector);
        const int64_t end = std::max<int64_t>(media->sector_count ? media->end_sector() : 0,
                                              int64_t(cell.last_sector) + 1);
        media->start_sector = int32_t(start);
        media->sector_count = int32_t(end - start);
    }

    // Titles: each program chain's cells in play order, adjacent cells of one VOB joined.
    const pgcit_t *chains = ifo->vts_pgcit;
    for (int i = 0; i < chains->nr_of_pgci_srp; ++i) {
        const pgc_t *pgc = chains->pgci_srp[i].pgc;
        if (!pgc || !pgc->cell_playback)
            continue;
        auto title = std::make_shared<LMDVDTitle>();
        title->title_id = i + 1;
        // A packed member: copied as bytes, never bound to a reference.
        memcpy(title->palette.data(), pgc->palette, sizeof title->palette);
        for (int c = 0; c < pgc->nr_of_cells; ++c) {
            const cell_playback_t &cell = pgc->cell_playback[c];
            const int32_t vob = pgc->cell_position ? pgc->cell_position[c].vob_id_nr : 0;
            const int32_t first = int32_t(cell.first_sector);
            const int32_t count = int32_t(cell.last_sector) - first + 1;
            if (count < 1)
                continue;
            if (!title->medias.isEmpty()) {
                LMDVDMedia &last = *title->medias.last();
                if (last.vob_id == vob && last.end_sector() == first) {
                    last.sector_count += count;
                    continue;
                }
            }
            title->medias.append(std::make_shared<LMDVDMedia>(first, count, vob));
        }
        set->titles.append(title);
    }
    return set;
}

QList<std::shared_ptr<LMDVDSource>> LMDVD::titleSources()
{
    return split_by_vob ? titleVobSources() : titleSources_default();
}

QList<std::shared_ptr<LMDVDSource>> LMDVD::titleSources_default()
{
    QList<std::shared_ptr<LMDVDSource>> sources;
    for (const auto &set : title_sets) {
        for (const auto &title : set->titles) {
            auto source = std::make_shared<LMDVDSource>(shared_from_this(), set, title, nullptr);
            QList<std::shared_ptr<LMDVDSource>> runs = source->dvdMediaSources();
            if (runs.size() >= dvdTitleSplitVobCount)
                sources.append(runs);
            else
                sources.append(source);
        }
    }
    return sources;
}

QList<std::shared_ptr<LMDVDSource>> LMDVD::titleVobSources()
{
    QList<std::shared_ptr<LMDVDSource>> sources;
    for (const auto &set : title_sets) {
        for (const auto &media : set->medias) {
            // A VOB id that no cell uses has no sectors to read.
            if (media->sector_count < 1)
                continue;
            sources.append(std::make_shared<LMDVDSource>(shared_from_this(), set, nullptr, media));
        }
    }
    return sources;
}

QList<std::shared_ptr<LMDVDFile>> LMDVD::dvdFiles()
{
    QList<std::shared_ptr<LMDVDFile>> files;
    if (!m_reader)
        return files;
    static const dvd_read_domain_t domains[]
        = {DVD_READ_INFO_FILE, DVD_READ_INFO_BACKUP_FILE, DVD_READ_MENU_VOBS, DVD_READ_TITLE_VOBS};
    for (int number = 0; number <= title_sets.size(); ++number) {
        for (int domain = 0; domain < 4; ++domain) {
            if (number == 0 && domain == LMDVDFile::TitleVobs)
                continue;
            dvd_stat_t stat;
            int result;
            {
                std::lock_guard guard(m_ioLock);
                result = DVDFileStat(m_reader, number, domains[domain], &stat);
            }
            if (result != 0 || stat.nr_parts < 1)
                continue;
            int64_t offset = 0;
            for (int part = 0; part < std::min(stat.nr_parts, 9); ++part) {
                files.append(std::make_shared<LMDVDFile>(
                    shared_from_this(), domain, number, part, stat.parts_size[part], offset));
                offset += stat.parts_size[part];
            }
        }
    }
    return files;
}
