#include "Platterkit/subpicture/SubpictureLog.h"

namespace Platterkit {
Q_LOGGING_CATEGORY(lcSubpicture, "discwright.platterkit.subpicture", QtWarningMsg)
} // namespace Platterkit
