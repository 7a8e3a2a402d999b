#pragma once

#include "Platterkit/tools/ToolStep.h"

#include <QString>
#include <atomic>
#include <memory>

class DVDLibrary;

/**
 * The production step that builds the DVD-Video folder: it writes the disc's dvdauthor XML to
 * "author.xml" in the work folder and runs dvdauthor on it into "dvd.dvdmedia", next to the
 * encoded "title%ld.dvd" and "menu%ld.dvd" streams already lying there.
 *
 * Prepare with dvdWork(), then start() once on the production thread; progress() and cancel()
 * may come from any thread meanwhile. "author.xml" is always removed afterwards, and a failed or
 * cancelled run leaves no "dvd.dvdmedia" behind. The step holds the library until it is released.
 */
class DVDFSMake : public ToolStep
{
public:
    // Prepares the run for dvd in workPath; runs nothing yet.
    void dvdWork(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath);
    // The dvdauthor run itself (what start() runs once prepared).
    void dvdHelperWork(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath);
    // Bytes in "dvd.dvdmedia/VIDEO_TS" over the bytes of the input streams (at least 1).
    double progress() const override;

    qint64 totalSize() const { return m_totalSize.load(); }

    // The sum of the sizes of the files directly in folder (subfolders count 0); 0 for an empty
    // path or a folder that cannot be listed.
    static qint64 fileSizeForItem(const QString &folder);

private:
    std::atomic<qint64> m_totalSize{0};
};
