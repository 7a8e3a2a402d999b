#pragma once

// Where the application's resources lie: the folder "resources" beside the running program, as an
// installed tree keeps it. Any thread.

#include <QString>

namespace platform {

// <folder of the running program>/resources. /proc/self/exe names the real program even when no
// application object exists (tests, build-time tools).
QString bundleResourcesPath();
// bundleResourcesPath() / "<name>.<type>" (no dot when type is empty); nothing is checked.
QString pathForResource(const QString &name, const QString &type);

} // namespace platform
