#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QThread>
#include <mutex>

namespace platform {
namespace {

// Held by the poster while it queues and taken by the receiver before it runs: an ordering the
// thread checker sees. Never held while work runs.
std::mutex g_handOver;

} // namespace

bool isMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void postToMainThread(QObject *context, std::function<void()> work)
{
    if (!context || !work)
        return;
    std::lock_guard guard(g_handOver);
    QMetaObject::invokeMethod(
        context,
        [work = std::move(work)] {
            { // The poster's writes happen before this.
                std::lock_guard received(g_handOver);
            }
            work();
        },
        Qt::QueuedConnection);
}

} // namespace platform
