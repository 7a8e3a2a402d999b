#pragma once

#include <QLoggingCategory>

namespace Platterkit {
// discwright.platterkit.templates: the menu template library and its resources.
Q_DECLARE_LOGGING_CATEGORY(lcTemplates)
} // namespace Platterkit
