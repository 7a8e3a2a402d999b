#pragma once

// Background work, change notices delivered on the main thread, and timing of the common kit.

#include "platform/Object.h"

#include <QString>
#include <functional>

namespace Discwright::BackgroundWork {

// Runs work on a new background thread of its own and returns at once. The thread ends with the
// work; nothing waits for it. Any thread.
void performInBackground(std::function<void()> work);

// Tells the views bound to key of object that its value changed: the property's NOTIFY signal is
// emitted on the main thread on a later turn of the event loop (also when called on the main
// thread), carrying the value read then. Nothing is sent once the object is gone or when the key has
// no NOTIFY signal. A QCoreApplication must exist; any thread.
void flushObject(const ObjectRef &object, const QString &key);

// Runs block and logs the seconds it took ("%f"). Any thread.
void timeBlock(const std::function<void()> &block);
// Runs block and adds it to one process-wide tally; every 5 s it logs "%f %f %f %d": the mean
// seconds per call, the calls per second, the window length and the count, then starts a new
// window. The tally is locked, so several threads may profile at once.
void timeProfileBlock(const std::function<void()> &block);

} // namespace Discwright::BackgroundWork
