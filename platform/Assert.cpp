#include "platform/Assert.h"

#include "platform/Log.h"

#include <cstdlib>

namespace platform {

bool assertionFailed(const char *condition, const char *file, int line)
{
    qCCritical(lcPlatform, "assertion failed: %s at %s:%d", condition, file, line);
    if (qEnvironmentVariableIntValue("DISCWRIGHT_FATAL_ASSERTS") == 1)
        std::abort();
    return false;
}

} // namespace platform
