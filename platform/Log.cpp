#include "platform/Log.h"

namespace platform {
Q_LOGGING_CATEGORY(lcArchive, "discwright.platform.archive", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "discwright.platform", QtWarningMsg)
} // namespace platform
