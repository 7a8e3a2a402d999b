#include "Reelsmith/dvd/LMDVDIO.h"

#include "Reelsmith/dvd/LMDVD.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

using Reelsmith::lcDvd;

namespace {

// A playback time in seconds: BCD hours, minutes, seconds and frames at the rate its top bits give.
double seconds(const dvd_time_t &time)
{
    auto bcd = [](uint8_t value) { return (value >> 4) * 10 + (value & 0x0f); };
    const double rate = (time.frame_u & 0xc0) == 0xc0 ? 30000.0 / 1001.0 : 25.0;
    return bcd(time.hour) * 3600.0 + bcd(time.minute) * 60.0 + bcd(time.second)
           + bcd(time.frame_u & 0x3f) / rate;
}

} // namespace

QStringList LMDVDIO::test(const QString &path)
{
    QStringList lines;
    std::shared_ptr<LMDVD> dvd = LMDVD::open(path);
    if (!dvd)
        return lines;
    lines << QStringLiteral("volume %1 title_sets %2 Region 0x%3")
                 .arg(dvd->volume())
                 .arg(dvd->title_sets.size())
                 .arg(unsigned(~dvd->region & 0xff), 2, 16, QLatin1Char('0'));
    std::lock_guard guard(dvd->ioLock());
    for (const auto &set : dvd->title_sets) {
        lines << QStringLiteral("title set %1 %2").arg(set->title_set).arg(set->description());
        ifo_handle_t *ifo = ifoOpen(dvd->dvd_reader(), set->title_set);
        if (!ifo)
            continue;
        for (int i = 0; ifo->vts_pgcit && i < ifo->vts_pgcit->nr_of_pgci_srp; ++i) {
            const pgc_t *pgc = ifo->vts_pgcit->pgci_srp[i].pgc;
            if (!pgc)
                continue;
            lines << QStringLiteral("  title %1 programs %2 cells %3 time %4")
                         .arg(i + 1)
                         .arg(pgc->nr_of_programs)
                         .arg(pgc->nr_of_cells)
                         .arg(seconds(pgc->playback_time), 0, 'f', 3);
            for (int c = 0; pgc->cell_playback && c < pgc->nr_of_cells; ++c) {
                const cell_playback_t &cell = pgc->cell_playback[c];
                lines << QStringLiteral("    cell %1 sectors %2-%3 time %4")
                             .arg(c + 1)
                             .arg(cell.first_sector)
                             .arg(cell.last_sector)
                             .arg(seconds(cell.playback_time), 0, 'f', 3);
            }
        }
        if (const c_adt_t *cells = ifo->vts_c_adt) {
            const int64_t entries
                = cells->last_byte >= 7 ? (int64_t(cells->last_byte) - 7) / 12 : 0;
            for (int64_t i = 0; i < entries; ++i) {
                const cell_adr_t &cell = cells->cell_adr_table[i];
                lines << QStringLiteral("  vob %1 cell %2 sectors %3-%4")
                             .arg(cell.vob_id)
                             .arg(cell.cell_id)
                             .arg(cell.start_sector)
                             .arg(cell.last_sector);
            }
        }
        ifoClose(ifo);
        if (dvd_file_t *vobs
            = DVDOpenFile(dvd->dvd_reader(), set->title_set, DVD_READ_TITLE_VOBS)) {
            lines << QStringLiteral("  title VOBs %1 sectors").arg(DVDFileSize(vobs));
            DVDCloseFile(vobs);
        }
    }
    if (lcDvd().isDebugEnabled()) {
        for (const QString &line : lines)
            qCDebug(lcDvd).noquote() << line;
    }
    return lines;
}
