#pragma once

#include <QString>

namespace platform {

// The folder that holds the running executable, found even when no QCoreApplication exists (tests,
// command-line tools); the current folder when the system does not say. Safe on any thread.
QString executableFolder();

} // namespace platform
