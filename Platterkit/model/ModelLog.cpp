#include "Platterkit/model/ModelLog.h"

namespace Platterkit {
Q_LOGGING_CATEGORY(lcModel, "discwright.platterkit.model", QtWarningMsg)
} // namespace Platterkit
