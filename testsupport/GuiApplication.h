#pragma once

namespace fixtures {

// Text layout needs a QGuiApplication; this makes one (offscreen when no platform is set) the
// first time it is called and keeps it for the program's life. Main thread only.
void ensureGuiApplication();

} // namespace fixtures
