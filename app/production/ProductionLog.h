#pragma once

// The logging category of the production pipeline.

#include <QLoggingCategory>

namespace Discwright {
// discwright.app.production: title and menu conversion, the production steps and the burn.
Q_DECLARE_LOGGING_CATEGORY(lcProduction)
} // namespace Discwright
