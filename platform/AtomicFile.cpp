#include "platform/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace platform {

bool writeFileAtomically(const QByteArray &data, const QString &path, QString *error)
{
    auto failed = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    };
    // QSaveFile reports a failed flush (a full disk) as "Unknown error"; the system's word for it
    // is more use in the log.
    auto reasonOf = [](const QSaveFile &file, int systemError) {
        if (file.error() == QFileDevice::NoError
            || file.errorString() == QLatin1String("Unknown error"))
            return systemError ? qt_error_string(systemError) : QStringLiteral("the write failed");
        return file.errorString();
    };
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        return failed(QStringLiteral("the folder %1 does not exist").arg(folder.filePath()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(reasonOf(file, errno));
    errno = 0;
    if (file.write(data) != data.size()) {
        const QString reason = reasonOf(file, errno);
        file.cancelWriting();
        return failed(reason);
    }
    errno = 0;
    if (!file.commit())
        return failed(reasonOf(file, errno));
    return true;
}

} // namespace platform
