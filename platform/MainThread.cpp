#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace platform {

bool isMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace platform
