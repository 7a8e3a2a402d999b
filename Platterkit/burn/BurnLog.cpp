#include "Platterkit/burn/BurnLog.h"

namespace Platterkit {
Q_LOGGING_CATEGORY(lcBurn, "discwright.platterkit.burn", QtWarningMsg)
} // namespace Platterkit
