#pragma once

#include "Platterkit/tools/ToolProcess.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace Platterkit {

/**
 * Makes the child processes of the authoring steps: finds the tool and sets its arguments,
 * working folder and environment. The processes come back prepared but not launched; the caller
 * launches them (normally through ToolTaskControl) and keeps them while they run. Thread-safe.
 *
 * A tool is looked for, in this order: in the folder named by the environment variable
 * DISCWRIGHT_TOOLS_DIR (when set), beside the running executable (where a packaged application
 * ships them), then on PATH.
 */
class ToolRunner
{
public:
    // The folder that holds the running executable (platform::executableFolder).
    static QString executableFolder();
    // The path of the tool to run. When no place has it, the path beside the executable, so that
    // launching fails with a message naming where it was expected.
    static QString pathForTool(const QString &toolName);
    // "PAL" for format 1, "NTSC" for every other value.
    static QString videoFormatName(qint64 format);

    // For dvdauthor and spumux. They take the video standard from VIDEO_FORMAT, and nothing else
    // of the application's environment may leak into them, so the child's environment is exactly
    // that one variable: "PAL" when the disc's format (DVDLibrary::format) is 1, else "NTSC".
    static std::shared_ptr<ToolProcess> taskCurrentArguments(qint64 format,
                                                             const QString &toolName,
                                                             const QString &currentPath,
                                                             const QStringList &arguments);
    // For mkisofs, which inherits the application's whole environment.
    static std::shared_ptr<ToolProcess> inheritingTaskCurrentArguments(
        const QString &toolName, const QString &currentPath, const QStringList &arguments);
};

} // namespace Platterkit
