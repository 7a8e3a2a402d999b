#pragma once

// Where the engine's helper processes and their private files live. Any thread.

#include <QLoggingCategory>
#include <QString>

namespace Reelsmith {
// discwright.reelsmith.helpers: the helper processes and what they exchange with us.
Q_DECLARE_LOGGING_CATEGORY(lcHelpers)
} // namespace Reelsmith

namespace Reelsmith::detail {

// The folder of the running executable: QCoreApplication's when an application object exists,
// else the folder of /proc/self/exe (tests and tools without one).
QString executableDir();

// The user's private temporary root ("org.discwright.Discwright" under the temporary location),
// created with mode 0700 when missing; empty when it cannot be created.
QString privateTempRoot();

} // namespace Reelsmith::detail
