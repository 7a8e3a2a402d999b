#include "platform/Executable.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString executableFolder()
{
    // /proc/self/exe names the real program even when no QCoreApplication exists (tests, tools).
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    return QDir::currentPath();
}

} // namespace platform
