#pragma once

#include <QLoggingCategory>

namespace Platterkit {
// discwright.platterkit.author: the dvdauthor XML and the runs of dvdauthor, spumux and mkisofs.
Q_DECLARE_LOGGING_CATEGORY(lcAuthor)
} // namespace Platterkit
