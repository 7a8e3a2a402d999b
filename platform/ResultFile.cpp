#include "platform/ResultFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

bool somethingAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The old-style fallback for file systems without the no-replace rename; errno as rename's.
int renameByHand(const QByteArray &source, const QByteArray &target, const QString &from)
{
    const QFileInfo info(from);
    if (info.isDir() && !info.isSymLink()) {
        if (somethingAt(QFile::decodeName(target)))
            return EEXIST;
        return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    }
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    // Both names now lead to the result; the temporary one goes.
    ::unlink(source.constData());
    return 0;
}

} // namespace

ResultPlacement renameWithoutReplacing(const QString &from, const QString &to, QString *error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int failure = 0;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
        != 0) {
        failure = errno;
        if (failure == EINVAL || failure == ENOSYS)
            failure = renameByHand(source, target, from);
    }
    if (failure == 0)
        return ResultPlacement::Placed;
    // A folder renamed onto a folder that is not empty reads ENOTEMPTY or EEXIST, onto a file
    // ENOTDIR: all mean the name is taken.
    const bool taken
        = failure == EEXIST || failure == ENOTEMPTY || (failure == ENOTDIR && somethingAt(to));
    if (error) {
        *error = taken ? QStringLiteral("a file is already at %1").arg(to)
                       : QStringLiteral("cannot move %1 to %2: %3")
                             .arg(from, to, qt_error_string(failure));
    }
    if (taken)
        return ResultPlacement::DestinationTaken;
    return failure == EXDEV ? ResultPlacement::OtherFileSystem : ResultPlacement::Failed;
}

} // namespace platform
