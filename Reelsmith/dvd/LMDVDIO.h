#pragma once

#include <QString>
#include <QStringList>

/**
 * A diagnostic: opens a DVD-Video structure and writes what its IFO files hold to the log
 * (category discwright.reelsmith.dvd, debug level): the volume, the title sets and region, each
 * title's programs and cells with their sectors and times, the cell address table and the size
 * of the title VOBs. Nothing depends on it. Any thread.
 */
class LMDVDIO
{
public:
    LMDVDIO() = delete;

    /** The lines written for path (also when debug output is off); empty when it cannot open. */
    static QStringList test(const QString &path);
};
