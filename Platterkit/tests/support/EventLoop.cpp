#include "EventLoop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace testing_support {

bool runUntil(const std::function<bool()> &done, int limitMs)
{
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace testing_support
