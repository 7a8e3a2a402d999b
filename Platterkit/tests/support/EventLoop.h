#pragma once

#include <functional>

namespace testing_support {

// Runs the event loop until done() holds; false if it never does (a hang, not a slow machine).
bool runUntil(const std::function<bool()> &done, int limitMs = 60000);

} // namespace testing_support
