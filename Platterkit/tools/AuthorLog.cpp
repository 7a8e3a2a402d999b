#include "Platterkit/tools/AuthorLog.h"

namespace Platterkit {
Q_LOGGING_CATEGORY(lcAuthor, "discwright.platterkit.author", QtWarningMsg)
} // namespace Platterkit
