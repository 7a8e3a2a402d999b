#pragma once

#include <QLoggingCategory>

namespace Platterkit {
// discwright.platterkit.model: the disc model, its pages and jumps.
Q_DECLARE_LOGGING_CATEGORY(lcModel)
} // namespace Platterkit
