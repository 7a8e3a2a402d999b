#pragma once

// Logging categories of the platform layer. Each deliverable declares its own beside its code.

#include <QLoggingCategory>

namespace platform {
Q_DECLARE_LOGGING_CATEGORY(lcArchive)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
} // namespace platform
