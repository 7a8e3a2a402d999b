#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Reelsmith::detail {

/**
 * A one-at-a-time operation queue with its own worker thread: operations run in the order they
 * were added, never two at once. Work asked from an operation already running on this queue runs
 * inline, so an operation can decode through the same entry points as outside callers without
 * waiting on itself.
 *
 * The worker starts with the first operation. Destruction stops taking new operations, runs what
 * is queued and joins the worker. Every call may come from any thread; a waiting call must not be
 * made from the main thread in product code (tests may).
 */
class SerialQueue
{
public:
    SerialQueue() = default;
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    /**
     * Runs operation on the queue. From an operation of this queue it runs at once, inline.
     * Otherwise it is queued, and with wait the call returns once it has run. False when the
     * queue has been shut down (the operation is dropped).
     */
    bool run(std::function<void()> operation, bool wait);
    /** Queues operation behind the others and returns at once; runs inline from the queue. */
    bool post(std::function<void()> operation) { return run(std::move(operation), false); }

    /**
     * Returns once every operation queued before the call has run. From an operation of this
     * queue it returns at once (waiting would never end).
     */
    void waitUntilAllOperationsAreFinished();

    /** True on the queue's worker while it runs an operation. */
    bool isCurrent() const;
    /** A soft assertion that the caller runs on this queue. */
    void assertCurrent() const;

    /** Operations queued or running. */
    size_t operationCount() const;

    /** Stops taking operations, runs what is queued and joins the worker. Idempotent. */
    void shutdown();

private:
    struct Operation
    {
        std::function<void()> work;
        bool done = false;
    };

    void workerLoop();

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::deque<std::shared_ptr<Operation>> m_pending;
    bool m_running = false; // an operation is being run
    bool m_stopping = false;
    std::thread m_worker;
    std::thread::id m_workerId;
};

} // namespace Reelsmith::detail
