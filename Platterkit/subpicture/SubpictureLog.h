#pragma once

#include <QLoggingCategory>

namespace Platterkit {
// discwright.platterkit.subpicture: menu subpicture layers and the spumux runs.
Q_DECLARE_LOGGING_CATEGORY(lcSubpicture)
} // namespace Platterkit
