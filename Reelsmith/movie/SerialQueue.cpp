#include "Reelsmith/movie/SerialQueue.h"

#include <QLoggingCategory>
#include <exception>
#include <platform/Assert.h>

namespace Reelsmith {
// Defined with the movie, whose decode queue this is.
Q_DECLARE_LOGGING_CATEGORY(lcMovie)
} // namespace Reelsmith

namespace Reelsmith::detail {

SerialQueue::~SerialQueue()
{
    shutdown();
}

bool SerialQueue::isCurrent() const
{
    std::lock_guard guard(m_lock);
    // The worker's id, not m_worker: shutdown takes m_worker to join it while the worker still
    // runs what was queued, and that work is the queue's own.
    return m_workerId != std::thread::id() && std::this_thread::get_id() == m_workerId;
}

void SerialQueue::assertCurrent() const
{
    DW_ASSERT(isCurrent(), return );
}

size_t SerialQueue::operationCount() const
{
    std::lock_guard guard(m_lock);
    return m_pending.size() + (m_running ? 1 : 0);
}

bool SerialQueue::run(std::function<void()> operation, bool wait)
{
    if (!operation)
        return false;
    if (isCurrent()) {
        operation();
        return true;
    }
    auto entry = std::make_shared<Operation>();
    entry->work = std::move(operation);
    std::unique_lock guard(m_lock);
    if (m_stopping)
        return false;
    if (!m_worker.joinable()) {
        m_worker = std::thread([this] { workerLoop(); });
        m_workerId = m_worker.get_id();
    }
    m_pending.push_back(entry);
    m_wake.notify_one();
    if (wait)
        m_finished.wait(guard, [&] { return entry->done; });
    return true;
}

void SerialQueue::waitUntilAllOperationsAreFinished()
{
    if (isCurrent())
        return;
    std::unique_lock guard(m_lock);
    if (m_pending.empty() && !m_running)
        return;
    // The last operation queued so far finishes after every earlier one.
    std::shared_ptr<Operation> last = m_pending.empty() ? nullptr : m_pending.back();
    if (last)
        m_finished.wait(guard, [&] { return last->done; });
    else
        m_finished.wait(guard, [&] { return !m_running; });
}

void SerialQueue::workerLoop()
{
    std::unique_lock guard(m_lock);
    for (;;) {
        m_wake.wait(guard, [&] { return m_stopping || !m_pending.empty(); });
        if (m_pending.empty())
            return; // stopping and drained
        std::shared_ptr<Operation> entry = m_pending.front();
        m_pending.pop_front();
        m_running = true;
        guard.unlock();
        try {
            entry->work();
        } catch (const std::exception &error) {
            // An operation's failure must not take the queue (and every later operation) down.
            qCWarning(Reelsmith::lcMovie, "a queued operation failed: %s", error.what());
        } catch (...) {
            qCWarning(Reelsmith::lcMovie, "a queued operation failed with an unknown exception");
        }
        entry->work = nullptr; // what the operation captured goes now, not with the next one
        guard.lock();
        m_running = false;
        entry->done = true;
        m_finished.notify_all();
    }
}

void SerialQueue::shutdown()
{
    std::thread worker;
    {
        std::lock_guard guard(m_lock);
        if (m_stopping && !m_worker.joinable())
            return;
        m_stopping = true;
        m_wake.notify_all();
        if (std::this_thread::get_id() == m_workerId)
            return; // from inside an operation: the worker ends after it
        worker = std::move(m_worker);
    }
    if (worker.joinable()) {
        worker.join();
        // The thread has ended; its id may be given to a new thread.
        std::lock_guard guard(m_lock);
        m_workerId = std::thread::id();
    }
}

} // namespace Reelsmith::detail
