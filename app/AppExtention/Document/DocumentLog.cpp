#include "app/AppExtention/Document/DocumentLog.h"

namespace Discwright {
Q_LOGGING_CATEGORY(lcDocument, "discwright.app.document", QtWarningMsg)
} // namespace Discwright
