#pragma once

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>

/**
 * The import of video files as new titles of the title list: which files become clips (video, at
 * least 5 seconds; others are skipped without a message), each accepted file a new title named
 * after its clip, made on a worker thread while the list and the pages stay untouched. The titles
 * come back on the main thread, where the caller inserts them into the list and gives each a menu
 * item.
 *
 * Owned by the title list's controller. start, cancel and the callbacks belong to the main thread;
 * importRate and cancel may be read and called from any thread. The destructor cancels and waits
 * for a running import, whose callback is then dropped.
 */
class TitleImport : public QObject
{
    Q_OBJECT
public:
    // The shortest clip that is imported, in seconds; one exactly this long is.
    static constexpr double kMinimumSeconds = 5.0;

    using Progress = std::function<void(int done, int total)>;
    using Done = std::function<void(QList<DVDTitleDataRef> titles, bool cancelled)>;

    explicit TitleImport(QObject *parent = nullptr);
    ~TitleImport() override;

    // The clip of a file, or null when it has no video or lasts under kMinimumSeconds. Any thread.
    static MediaDataRef createMediaWithPath(const QString &path);
    // A new collapsed title named after its clip, holding it; null when the file is refused.
    static DVDTitleDataRef createNewTitleByPath(const QString &path);

    // Imports paths in order on a worker: progress after every file (accepted or refused), then
    // done with the accepted titles in order. False while an import runs.
    bool start(const QStringList &paths, Progress progress, Done done);
    // Stops after the file being read; done then reports the titles made so far and cancelled.
    void cancel() { m_cancelled = true; }
    bool isRunning() const { return m_running; }
    // Fraction of the running import that is done, 0 to 1.
    float importRate() const { return m_rate.load(); }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<float> m_rate{0};
    bool m_running = false;
    std::thread m_worker;
};
