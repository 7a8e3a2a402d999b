#pragma once

#include <QLoggingCategory>

namespace Discwright {
// discwright.app.transition: the transition catalogue and its renderer.
Q_DECLARE_LOGGING_CATEGORY(lcTransition)
} // namespace Discwright
