#pragma once

#include "Platterkit/tools/DVDMakeTask.h"
#include "Platterkit/tools/ToolTaskControl.h"

#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
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
class DVDFSMake : public DVDMakeTask
{
public:
    DVDFSMake();
    ~DVDFSMake() override;

    // Prepares the run for dvd in workPath; runs nothing yet.
    void dvdWork(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath);
    // The dvdauthor run itself (what start() runs once prepared).
    void dvdHelperWork(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath);
    // Runs the prepared work on the calling thread and returns when it is over. Nothing happens
    // when nothing is prepared or cancel() came first.
    void start();

    void cancel() override;
    // Bytes in "dvd.dvdmedia/VIDEO_TS" over the bytes of the input streams (at least 1).
    double progress() const override;

    // Whether the last start() produced "dvd.dvdmedia"; lastError() says why not.
    bool succeeded() const { return m_succeeded.load(); }
    QString lastError() const;

    // The running dvdauthor process; null before launch and after exit.
    std::shared_ptr<Platterkit::ToolProcess> task() const { return m_control.task(); }
    qint64 totalSize() const { return m_totalSize.load(); }
    QString output() const;

    // The sum of the sizes of the files directly in folder (subfolders count 0); 0 for an empty
    // path or a folder that cannot be listed.
    static qint64 fileSizeForItem(const QString &folder);
    // The file's size; 0 when it does not exist.
    static qint64 fileSizeForFile(const QString &file);

private:
    void fail(const QString &reason);

    Platterkit::ToolTaskControl m_control;
    std::function<void()> m_action;
    std::atomic<bool> m_started{false};
    std::atomic<qint64> m_totalSize{0};
    std::atomic<bool> m_succeeded{false};
    mutable QMutex m_lock;
    QString m_output;
    QString m_lastError;
};
