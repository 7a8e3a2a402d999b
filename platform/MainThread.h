#pragma once

// The main thread is the thread of the application object: it runs the event loop, every widget
// and everything a view observes.

#include "platform/Assert.h"

namespace platform {
// True on the thread of the QCoreApplication instance; false on any other, or without one.
bool isMainThread();
} // namespace platform

// A soft assertion (see DW_ASSERT) that the caller runs on the main thread. The optional argument
// is the recovery statement, as there: DW_ASSERT_MAIN_THREAD(); or DW_ASSERT_MAIN_THREAD(return);
#define DW_ASSERT_MAIN_THREAD(...) DW_ASSERT(platform::isMainThread(), __VA_ARGS__)
