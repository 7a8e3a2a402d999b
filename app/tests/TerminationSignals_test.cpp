// SIGTERM, SIGINT and SIGHUP reach the program through its event loop: the handler runs on the
// main thread between two events, never inside the signal, and the dispositions found before are
// put back when the object goes.

#include "app/AppExtention/Function/TerminationSignals.h"
#include "platform/MainThread.h"
#include "testsupport/EventLoop.h"

#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

bool handledBy(int signalNumber, void (*handler)(int))
{
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == handler;
}

TEST(TerminationSignals, EachSignalReachesTheHandlerOnTheMainThread)
{
    fixtures::application();
    for (const int signalNumber : TerminationSignals::signalNumbers())
        ASSERT_TRUE(handledBy(signalNumber, SIG_DFL)) << signalNumber;
    QList<int> received;
    bool onMainThread = true;
    {
        TerminationSignals signalsIn([&](int signalNumber) {
            onMainThread = onMainThread && platform::isMainThread();
            received.append(signalNumber);
        });
        ASSERT_TRUE(signalsIn.isInstalled());
        // One at a time is taken: the pipe and the dispositions are the process's.
        TerminationSignals second([](int) {});
        EXPECT_FALSE(second.isInstalled());

        for (const int signalNumber : TerminationSignals::signalNumbers()) {
            SCOPED_TRACE(signalNumber);
            received.clear();
            // Sent from another thread, as a signal arrives whenever it likes.
            QThread *sender = QThread::create([signalNumber] { ::kill(::getpid(), signalNumber); });
            sender->start();
            EXPECT_TRUE(fixtures::spinUntil([&] { return !received.isEmpty(); }, 10000));
            sender->wait();
            delete sender;
            EXPECT_EQ(received, QList<int>({signalNumber}));
        }
        // Two at once: both are handled, in order.
        received.clear();
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        EXPECT_TRUE(fixtures::spinUntil([&] { return received.size() == 2; }, 10000));
        EXPECT_EQ(received, QList<int>({SIGHUP, SIGTERM}));
    }
    EXPECT_TRUE(onMainThread);
    for (const int signalNumber : TerminationSignals::signalNumbers())
        EXPECT_TRUE(handledBy(signalNumber, SIG_DFL)) << signalNumber;
}

} // namespace
