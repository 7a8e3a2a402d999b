#pragma once

// The Qt event loop for tests of code that runs on the main thread (timers, queued calls): one
// QGuiApplication per test program, on the platform the environment names (offscreen in ctest).

#include <functional>

class QCoreApplication;

namespace fixtures {

// The program's application object, made on the first call; call it from the main thread.
QCoreApplication &application();

// Runs the event loop until done() answers true or timeoutMs have passed; done()'s last answer.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// Runs the event loop until every call queued to the main thread before this one has run (the
// queue keeps the order of posting: a marker queued last runs after them); false when the marker
// did not run within timeoutMs. What a test used to guess with a fixed spinFor: "whatever was
// going to be delivered has been".
bool spinUntilPostedCallsHaveRun(int timeoutMs = 20000);

// Runs the event loop for ms milliseconds.
void spinFor(int ms);

} // namespace fixtures
