#include "app/production/ProductionLog.h"

namespace Discwright {
Q_LOGGING_CATEGORY(lcProduction, "discwright.app.production", QtWarningMsg)
} // namespace Discwright
