#include "app/AppExtention/Function/AppLog.h"

namespace Discwright {
Q_LOGGING_CATEGORY(lcFiles, "discwright.app.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRecords, "discwright.app.records", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKit, "discwright.app.kit", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShell, "discwright.app.shell", QtInfoMsg)
} // namespace Discwright
