#pragma once

// Logging categories of the application's kits and records.

#include <QLoggingCategory>

namespace Discwright {
// discwright.app.files: temporary files and default folders.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
// discwright.app.records: the project records and their pushes onto the disc model.
Q_DECLARE_LOGGING_CATEGORY(lcRecords)
// discwright.app.kit: timing and background helpers of the common kit.
Q_DECLARE_LOGGING_CATEGORY(lcKit)
// discwright.app.shell: start-up, the main window and the production start.
Q_DECLARE_LOGGING_CATEGORY(lcShell)
} // namespace Discwright
