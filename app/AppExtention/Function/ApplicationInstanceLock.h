#pragma once

// The one-instance rule of a user's temporary root: the program empties that root at start-up,
// so a second process started while one runs would delete the files the first is working on. The
// first process holds a lock file inside the root it guards (which the start-up clean-up spares)
// for its whole life; a second one, whatever its session or runtime folder, fails to take it and
// stops before touching anything. A process that died leaves a lock whose owner is gone, which the next start takes
// over. Main thread (made once at start-up).

#include <QLockFile>
#include <QString>
#include <memory>

class ApplicationInstanceLock
{
public:
    // The lock file: the temporary root / FileManagerExtention::instanceLockName().
    static QString defaultLockPath();

    explicit ApplicationInstanceLock(const QString &lockPath = defaultLockPath());

    // Takes the lock; false when another live process holds it (then the caller must stop).
    bool tryLock();
    bool isLocked() const;
    // The process id of the holder when tryLock failed; 0 when unknown.
    qint64 holderProcessId() const;
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
