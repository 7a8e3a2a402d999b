#include "Reelsmith/detail/ProcessPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcHelpers, "discwright.reelsmith.helpers", QtWarningMsg)
} // namespace Reelsmith

namespace Reelsmith::detail {

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe"))
        .canonicalFilePath()
        .section(QLatin1Char('/'), 0, -2);
}

QString privateTempRoot()
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::TempLocation)
                         + QStringLiteral("/org.discwright.Discwright");
    if (!QDir().mkpath(root))
        return QString();
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return root;
}

} // namespace Reelsmith::detail
