#pragma once

#include <QLoggingCategory>

namespace Platterkit::render {
// discwright.platterkit.render: drawing menu pages and their elements.
Q_DECLARE_LOGGING_CATEGORY(lcRender)
} // namespace Platterkit::render
