#pragma once

#include "Platterkit/tools/ToolProcess.h"

#include <QMutex>
#include <atomic>
#include <memory>

namespace Platterkit {

/**
 * The running child process of one production step, and the step's cancel flag. The step's
 * thread calls run(); cancel() and task() may come from any thread at any time.
 *
 * A cancel is recorded before anything else and the process is stored before it is launched, so a
 * cancel can never be lost: before run() it keeps the child from starting, during the launch it
 * makes the launch stop the child at once, and afterwards it terminates the child (SIGTERM).
 */
class ToolTaskControl
{
public:
    // Stores process, launches it, waits until it exits and clears the stored process again.
    // True when the child exited with status 0; false when it could not start, failed, was
    // killed or the step was cancelled first (the process then stays unlaunched). The process
    // keeps the details (lastError, failureDescription).
    bool run(const std::shared_ptr<ToolProcess> &process);
    // Records the cancel and terminates the running child, if any.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    // The running (or about to be launched) child; null before and after.
    std::shared_ptr<ToolProcess> task() const;

private:
    std::atomic<bool> m_cancelled{false};
    mutable QMutex m_lock;
    std::shared_ptr<ToolProcess> m_task;
};

} // namespace Platterkit
