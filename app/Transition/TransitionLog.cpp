#include "app/Transition/TransitionLog.h"

namespace Discwright {
Q_LOGGING_CATEGORY(lcTransition, "discwright.app.transition", QtWarningMsg)
} // namespace Discwright
