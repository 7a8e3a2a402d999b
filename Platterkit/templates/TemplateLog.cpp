#include "Platterkit/templates/TemplateLog.h"

namespace Platterkit {
Q_LOGGING_CATEGORY(lcTemplates, "discwright.platterkit.templates", QtWarningMsg)
} // namespace Platterkit
