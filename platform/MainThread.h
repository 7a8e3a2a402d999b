#pragma once

// The main thread is the thread of the application object: it runs the event loop, every widget
// and everything a view observes.

#include "platform/Assert.h"

#include <functional>

class QObject;

namespace platform {
// True on the thread of the QCoreApplication instance; false on any other, or without one.
bool isMainThread();

// Queues work on context's thread (the main thread for the application object), from any thread;
// dropped when context goes first. The same as a queued QMetaObject::invokeMethod, except that the
// hand-over is one the thread checker can follow: Qt's event queue waits on futexes it does not
// see, so what the posting thread wrote (the queued call itself included) would otherwise look
// unordered against the receiving side.
void postToMainThread(QObject *context, std::function<void()> work);
} // namespace platform

// A soft assertion (see DW_ASSERT) that the caller runs on the main thread. The optional argument
// is the recovery statement, as there: DW_ASSERT_MAIN_THREAD(); or DW_ASSERT_MAIN_THREAD(return);
#define DW_ASSERT_MAIN_THREAD(...) DW_ASSERT(platform::isMainThread(), __VA_ARGS__)
