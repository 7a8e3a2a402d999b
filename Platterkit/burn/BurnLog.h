#pragma once

#include <QLoggingCategory>

namespace Platterkit {
// discwright.platterkit.burn: drives, media and burn runs.
Q_DECLARE_LOGGING_CATEGORY(lcBurn)
} // namespace Platterkit
