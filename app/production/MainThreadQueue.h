#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace Discwright::detail {

/**
 * Work handed from a production thread to the main thread: the alerts, the status line, the
 * reveal and every call into the burner. The hand-over goes through a standard mutex, so that
 * what one side wrote is visibly ordered before what the other reads (also to ThreadSanitizer,
 * which cannot see Qt's own locking); Qt's event loop only carries the wake-up.
 *
 * Made on the main thread by the object that owns it; post() and call() may come from any thread.
 * The main thread must run its event loop while a call() waits, and never wait for the caller.
 */
class MainThreadQueue : public QObject
{
    Q_OBJECT
public:
    explicit MainThreadQueue(QObject *parent = nullptr);
    ~MainThreadQueue() override;

    // Runs work on the main thread later, without waiting; on the main thread itself it runs at
    // once.
    void post(std::function<void()> work);
    // Runs work on the main thread and waits for it to end; on the main thread it runs at once.
    void call(const std::function<void()> &work);
    template <class Function> auto callFor(Function function)
    {
        decltype(function()) result{};
        call([&result, &function] { result = function(); });
        return result;
    }

private:
    Q_INVOKABLE void runPending();

    std::mutex m_lock;
    std::deque<std::function<void()>> m_pending;
};

} // namespace Discwright::detail
