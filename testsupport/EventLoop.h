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

// Runs the event loop for ms milliseconds.
void spinFor(int ms);

} // namespace fixtures
