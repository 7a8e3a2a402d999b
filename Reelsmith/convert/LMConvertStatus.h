#pragma once

#include <cstdint>

// The states of a conversion job as one bit set, the same for every converter (the engine's and
// the application's clip converter): a job is ready, then running, and ends either cancelled or
// finished. Paused goes with ready or running. A job that fails ends finished without its file;
// its lastError says why. Plain values: any thread.
namespace LMConvertStatus {

constexpr int64_t kReady = 1;
constexpr int64_t kPaused = 2;
constexpr int64_t kRunning = 4;
constexpr int64_t kCancelled = 8;
constexpr int64_t kFinished = 16;

// Cancelled or finished: nothing more happens.
constexpr bool isEnded(int64_t status)
{
    return status == kCancelled || status == kFinished;
}

} // namespace LMConvertStatus
