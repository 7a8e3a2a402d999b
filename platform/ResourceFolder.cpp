#include "platform/ResourceFolder.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString bundleResourcesPath()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QString folder
        = program.isEmpty() ? QDir::currentPath() : QFileInfo(program).absolutePath();
    return QDir(folder).filePath(QStringLiteral("resources"));
}

QString pathForResource(const QString &name, const QString &type)
{
    const QString file = type.isEmpty() ? name : name + u'.' + type;
    return QDir(bundleResourcesPath()).filePath(file);
}

} // namespace platform
