#pragma once

// A soft assertion for "cannot happen" states: it logs the file and line, then runs the recovery
// statement. With DISCWRIGHT_FATAL_ASSERTS=1 in the environment (test runs) it aborts instead, so
// the mistake cannot hide behind the recovery.

namespace platform {
bool assertionFailed(const char *condition, const char *file, int line);
} // namespace platform

// The recovery statement runs in the caller's own scope, so `continue` and `break` act on the
// caller's loop (or switch) and `return` leaves the caller. The trailing static_assert only takes
// the caller's semicolon; it also makes a following `else` a compile error instead of letting it
// bind to the macro's own if.
#define DW_ASSERT(condition, recovery)                                                             \
    if (!(condition)) {                                                                            \
        platform::assertionFailed(#condition, __FILE__, __LINE__);                                 \
        recovery;                                                                                  \
    }                                                                                              \
    static_assert(true)
