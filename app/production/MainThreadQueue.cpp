#include "app/production/MainThreadQueue.h"

#include <QThread>

namespace Discwright::detail {

MainThreadQueue::MainThreadQueue(QObject *parent)
    : QObject(parent)
{}

MainThreadQueue::~MainThreadQueue() = default;

void MainThreadQueue::post(std::function<void()> work)
{
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    {
        std::lock_guard guard(m_lock);
        m_pending.push_back(std::move(work));
    }
    // Invoked by name, so that nothing but the object itself travels through Qt's queue.
    QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
}

void MainThreadQueue::call(const std::function<void()> &work)
{
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    post([&] {
        work();
        std::lock_guard guard(doneLock);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock wait(doneLock);
    doneSignal.wait(wait, [&] { return done; });
}

void MainThreadQueue::runPending()
{
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard guard(m_lock);
            if (m_pending.empty())
                return;
            work = std::move(m_pending.front());
            m_pending.pop_front();
        }
        work();
    }
}

} // namespace Discwright::detail
