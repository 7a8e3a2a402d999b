#pragma once

// The logging category of the production pipeline.

#include <QLoggingCategory>

namespace Discwright {
// discwright.app.production: production runs, their steps and the burns.
Q_DECLARE_LOGGING_CATEGORY(lcProduction)
} // namespace Discwright
