// The disc model's tool message, kept with the tool runner it forwards to so that the model never
// includes the tools folder.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/tools/ToolRunner.h"

std::shared_ptr<Platterkit::ToolProcess> DVDLibrary::taskCurrentArguments(
    const QString &toolName, const QString &currentPath, const QStringList &arguments) const
{
    return Platterkit::ToolRunner::taskCurrentArguments(format(), toolName, currentPath, arguments);
}
