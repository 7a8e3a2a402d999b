#include "Platterkit/tools/ToolRunner.h"

#include "platform/Executable.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Platterkit {

namespace {

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString ToolRunner::executableFolder()
{
    return platform::executableFolder();
}

QString ToolRunner::pathForTool(const QString &toolName)
{
    const QString overrideFolder = qEnvironmentVariable("DISCWRIGHT_TOOLS_DIR");
    if (!overrideFolder.isEmpty()) {
        const QString candidate = QDir(overrideFolder).absoluteFilePath(toolName);
        if (isExecutableFile(candidate))
            return candidate;
    }
    const QString beside = QDir(executableFolder()).absoluteFilePath(toolName);
    if (isExecutableFile(beside))
        return beside;
    const QString onPath = QStandardPaths::findExecutable(toolName);
    if (!onPath.isEmpty())
        return QFileInfo(onPath).absoluteFilePath();
    return beside;
}

QString ToolRunner::videoFormatName(qint64 format)
{
    return format == 1 ? QStringLiteral("PAL") : QStringLiteral("NTSC");
}

std::shared_ptr<ToolProcess> ToolRunner::taskCurrentArguments(qint64 format,
                                                              const QString &toolName,
                                                              const QString &currentPath,
                                                              const QStringList &arguments)
{
    auto process = inheritingTaskCurrentArguments(toolName, currentPath, arguments);
    process->setEnvironment(
        QMap<QString, QString>{{QStringLiteral("VIDEO_FORMAT"), videoFormatName(format)}});
    return process;
}

std::shared_ptr<ToolProcess> ToolRunner::inheritingTaskCurrentArguments(
    const QString &toolName, const QString &currentPath, const QStringList &arguments)
{
    auto process = std::make_shared<ToolProcess>();
    process->setLaunchPath(pathForTool(toolName));
    process->setArguments(arguments);
    process->setCurrentDirectoryPath(currentPath);
    return process;
}

} // namespace Platterkit
