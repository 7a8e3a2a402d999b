#pragma once

// Waiting in a test for something another thread or process does: the condition is polled, with a
// deadline, so that a test neither hangs when it never comes nor guesses how long it takes. No
// event loop runs (use fixtures::spinUntil on a thread whose queued calls must run). Any thread.

#include <functional>

namespace fixtures {

// Polls done() every millisecond or so until it answers true or timeoutMs have passed; done()'s
// last answer.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000);

} // namespace fixtures
