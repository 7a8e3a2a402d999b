#pragma once

// discwright.app.document: the project package, the document and its questions.

#include <QLoggingCategory>

namespace Discwright {
Q_DECLARE_LOGGING_CATEGORY(lcDocument)
} // namespace Discwright
