#include "app/production/WorkFolder.h"

#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/production/ProductionLog.h"
#include "platform/ResultFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace Discwright::WorkFolder {
namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool exists(const QString &path)
{
    // A dangling link is something too.
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

QString candidate(const QFileInfo &preferred, int n)
{
    if (n == 0)
        return preferred.filePath();
    const QString suffix = preferred.suffix();
    const QDir parent = preferred.dir();
    if (suffix.isEmpty() || preferred.completeBaseName().isEmpty())
        return parent.filePath(QStringLiteral("%1-%2").arg(preferred.fileName()).arg(n));
    return parent.filePath(
        QStringLiteral("%1-%2.%3").arg(preferred.completeBaseName()).arg(n).arg(suffix));
}

bool copyRecursively(const QString &from, const QString &to, QString *error)
{
    const QFileInfo source(from);
    if (source.isSymLink()) {
        if (!QFile::link(source.symLinkTarget(), to)) {
            setError(error, QStringLiteral("cannot copy the link %1").arg(from));
            return false;
        }
        return true;
    }
    if (!source.isDir()) {
        if (!QFile::copy(from, to)) {
            setError(error, QStringLiteral("cannot copy %1 to %2").arg(from, to));
            return false;
        }
        return true;
    }
    if (!QDir().mkdir(to)) {
        setError(error, QStringLiteral("cannot make the folder %1").arg(to));
        return false;
    }
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden
                                                           | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (!copyRecursively(entry.filePath(), QDir(to).filePath(entry.fileName()), error))
            return false;
    }
    return true;
}

} // namespace

QString makeFresh(const QString &preferredPath, QString *error)
{
    if (preferredPath.isEmpty()) {
        setError(error, QStringLiteral("no folder was named"));
        return {};
    }
    const QFileInfo preferred(QDir::cleanPath(preferredPath));
    if (!QDir().mkpath(preferred.path())) {
        setError(error, QStringLiteral("cannot make the folder %1").arg(preferred.path()));
        return {};
    }
    for (int n = 0; n < 10000; ++n) {
        const QString path = candidate(preferred, n);
        if (exists(path))
            continue;
        // mkdir fails when another run claimed the name in between; then the next one is tried.
        if (QDir().mkdir(path))
            return path;
        if (!exists(path)) {
            setError(error, QStringLiteral("cannot make the folder %1").arg(path));
            return {};
        }
    }
    setError(error, QStringLiteral("no free folder name beside %1").arg(preferredPath));
    return {};
}

bool moveIntoPlace(const QString &from, const QString &to, QString *error)
{
    if (!exists(from)) {
        setError(error, QStringLiteral("%1 does not exist").arg(from));
        return false;
    }
    const QFileInfo target(QDir::cleanPath(to));
    if (!QDir().mkpath(target.path())) {
        setError(error, QStringLiteral("cannot make the folder %1").arg(target.path()));
        return false;
    }
    const platform::ResultPlacement placed = platform::renameWithoutReplacing(from, to, error);
    if (placed != platform::ResultPlacement::OtherFileSystem)
        return placed == platform::ResultPlacement::Placed;

    // Another file system: copy beside the destination under a name of its own, then rename.
    const QString staging = makeFresh(target.filePath() + QStringLiteral(".partial"), error);
    if (staging.isEmpty())
        return false;
    QDir().rmdir(staging);
    if (!copyRecursively(from, staging, error)) {
        removeItem(staging);
        return false;
    }
    if (platform::renameWithoutReplacing(staging, to, error) != platform::ResultPlacement::Placed) {
        removeItem(staging);
        return false;
    }
    if (!removeItem(from))
        qCWarning(lcProduction).noquote() << "cannot remove" << from << "after copying it";
    return true;
}

bool removeItem(const QString &path)
{
    if (path.isEmpty())
        return true;
    const QFileInfo item(path);
    if (item.isSymLink() || (item.exists() && !item.isDir()))
        return QFile::remove(path);
    if (!item.exists())
        return true;
    return QDir(path).removeRecursively();
}

QString makeFreshOrTemporary(const QString &preferredPath,
                             const QString &name,
                             const QString &extension,
                             QString *error)
{
    QString preferred = preferredPath;
    if (preferred.isEmpty()) {
        preferred = FileManagerExtention::tempFilePath(name, extension);
        if (preferred.isEmpty()) {
            if (error)
                *error = QStringLiteral("no temporary folder can be made");
            return {};
        }
        // The placeholder file that claimed the name goes, so that the name can become a folder.
        QFile::remove(preferred);
    }
    return makeFresh(preferred, error);
}

} // namespace Discwright::WorkFolder
