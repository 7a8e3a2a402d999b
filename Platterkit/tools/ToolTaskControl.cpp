#include "Platterkit/tools/ToolTaskControl.h"

#include <QMutexLocker>

namespace Platterkit {

bool ToolTaskControl::run(const std::shared_ptr<ToolProcess> &process)
{
    if (!process)
        return false;
    {
        QMutexLocker locker(&m_lock);
        if (m_cancelled.load())
            return false;
        m_task = process;
    }
    // A cancel() from here on finds the stored process; terminate() before launch is kept by the
    // process and applied as soon as the child exists.
    if (!process->launch()) {
        QMutexLocker locker(&m_lock);
        m_task.reset();
        return false;
    }
    process->waitUntilExit();
    {
        QMutexLocker locker(&m_lock);
        m_task.reset();
    }
    return process->succeeded() && !process->terminateRequested();
}

void ToolTaskControl::cancel()
{
    m_cancelled.store(true);
    std::shared_ptr<ToolProcess> running;
    {
        QMutexLocker locker(&m_lock);
        running = m_task;
    }
    if (running)
        running->terminate();
}

std::shared_ptr<ToolProcess> ToolTaskControl::task() const
{
    QMutexLocker locker(&m_lock);
    return m_task;
}

} // namespace Platterkit
