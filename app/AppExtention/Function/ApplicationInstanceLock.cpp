#include "app/AppExtention/Function/ApplicationInstanceLock.h"

#include "app/AppExtention/Function/FileManagerExtention.h"

#include <QDir>
#include <QStandardPaths>

QString ApplicationInstanceLock::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return QDir(folder).filePath(FileManagerExtention::bundleIdentifier() + ".lock");
}

ApplicationInstanceLock::ApplicationInstanceLock(const QString &lockPath)
    : m_path(lockPath)
    , m_lock(std::make_unique<QLockFile>(lockPath))
{
    // A live holder keeps the lock however long it runs; only a dead holder's file is stale.
    m_lock->setStaleLockTime(0);
}

bool ApplicationInstanceLock::tryLock()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    return m_lock->tryLock(0);
}

bool ApplicationInstanceLock::isLocked() const
{
    return m_lock->isLocked();
}

qint64 ApplicationInstanceLock::holderProcessId() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    return m_lock->getLockInfo(&pid, &host, &application) ? pid : 0;
}
