#include "testsupport/WaitUntil.h"

#include <chrono>
#include <thread>

namespace fixtures {

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace fixtures
