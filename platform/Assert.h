#pragma once

// A soft assertion for "cannot happen" states: it logs the file and line, then runs the recovery
// statement. With DISCWRIGHT_FATAL_ASSERTS=1 in the environment (test runs) it aborts instead, so
// the mistake cannot hide behind the recovery.

namespace platform {
bool assertionFailed(const char *condition, const char *file, int line);
} // namespace platform

#define DW_ASSERT(condition, recovery)                                                           \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            platform::assertionFailed(#condition, __FILE__, __LINE__);                           \
            recovery;                                                                            \
        }                                                                                        \
    } while (false)
