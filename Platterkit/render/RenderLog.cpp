#include "Platterkit/render/RenderLog.h"

namespace Platterkit::render {
Q_LOGGING_CATEGORY(lcRender, "discwright.platterkit.render", QtWarningMsg)
} // namespace Platterkit::render
