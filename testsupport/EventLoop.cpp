#include "testsupport/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <memory>

namespace fixtures {

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "reelsmith-tests";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *const app = new QGuiApplication(argc, argv);
    return *app;
}

bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    application();
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

bool spinUntilPostedCallsHaveRun(int timeoutMs)
{
    // Shared with the marker, which may outlive this call when the deadline passes first.
    const auto marked = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        &application(), [marked] { *marked = true; }, Qt::QueuedConnection);
    return spinUntil([&] { return *marked; }, timeoutMs);
}

void spinFor(int ms)
{
    application();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

} // namespace fixtures
