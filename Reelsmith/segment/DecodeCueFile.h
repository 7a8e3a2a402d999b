#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>

/**
 * The cue-sheet reader of the segment movies: turns the text of a whole cue sheet into one record
 * per track. Pure functions of their arguments; any thread.
 *
 * A track record holds "title" and "performer" (strings), "gap_start" (INDEX 00) and
 * "track_start" (INDEX 01), "start" (the later of the two), "stop" (the next track's start, absent
 * on the last track and wherever the next track does not start later) and "file" (the FILE line
 * in force when the track's TRACK line was read). Times are engine time (qint64 microseconds).
 */
class DecodeCueFile
{
public:
    DecodeCueFile() = delete;

    /** The tracks of the sheet in sheet order; empty when it has no TRACK line. */
    static QList<QVariantMap> decodeCueString(const QString &sheet);
    /**
     * The words of one line: blanks and tabs separate words outside quotes; a double or single
     * quote opens a word that runs to the same quote mark, blanks included (whatever the word held
     * before the mark is dropped). Empty words are left out.
     */
    static QStringList componentsSeparatedByCueSpace(const QString &line);
    /** "mm:ss:ff" (75 frames a second, minutes may pass 59) as engine time; 0 unless 3 parts. */
    static int64_t fftimeFromCueTime(const QString &text);
};
