#pragma once

// The one-instance rule of a user's session: the program empties its temporary root at start-up,
// so a second process started while one runs would delete the files the first is working on. The
// first process holds a lock file in the user's runtime folder (outside the temporary root, which
// it empties) for its whole life; a second one fails to take it and stops before touching
// anything. A process that died leaves a lock whose owner is gone, which the next start takes
// over. Main thread (made once at start-up).

#include <QLockFile>
#include <QString>
#include <memory>

class ApplicationInstanceLock
{
public:
    // The lock file for the user: the runtime folder (or, without one, the user's temporary
    // location) / "<bundle identifier>.lock".
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
