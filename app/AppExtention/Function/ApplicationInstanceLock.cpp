#include "app/AppExtention/Function/ApplicationInstanceLock.h"

#include "app/AppExtention/Function/FileManagerExtention.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

QString ApplicationInstanceLock::defaultLockPath()
{
    return FileManagerExtention::tempFileDirectory(FileManagerExtention::instanceLockName());
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
    // The folder is the private temporary root: made by the owner alone, as every later use
    // checks.
    const QString folder = QFileInfo(m_path).absolutePath();
    QDir().mkpath(QFileInfo(folder).absolutePath());
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
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
