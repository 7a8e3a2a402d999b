#include "app/AppExtention/Function/TerminationSignals.h"

#include "app/AppExtention/Function/AppLog.h"
#include "platform/MainThread.h"

#include <QList>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the live instance's pipe, read by the signal handler; -1 while none is alive.
std::atomic<int> g_writeEnd{-1};

extern "C" void forwardSignal(int signalNumber)
{
    const int saved = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signalNumber);
        // A full pipe drops the signal: enough of the same kind are waiting to be read.
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = saved;
}

} // namespace

struct TerminationSignals::Previous
{
    struct sigaction actions[3];
};

QList<int> TerminationSignals::signalNumbers()
{
    return {SIGTERM, SIGINT, SIGHUP};
}

TerminationSignals::TerminationSignals(Handler handler, QObject *parent)
    : QObject(parent)
    , m_handler(std::move(handler))
    , m_previous(std::make_unique<Previous>())
{
    DW_ASSERT_MAIN_THREAD();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(Discwright::lcShell)
            << "cannot make the pipe for termination signals:" << strerror(errno);
        return;
    }
    int expected = -1;
    if (!g_writeEnd.compare_exchange_strong(expected, ends[1])) {
        qCWarning(Discwright::lcShell) << "termination signals are taken by another instance";
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    const QList<int> numbers = signalNumbers();
    for (int i = 0; i < numbers.size(); ++i) {
        struct sigaction action = {};
        action.sa_handler = forwardSignal;
        sigemptyset(&action.sa_mask);
        // System calls the signal interrupts go on; the work happens in the event loop.
        action.sa_flags = SA_RESTART;
        ::sigaction(numbers[i], &action, &m_previous->actions[i]);
    }
    m_installed = true;
}

TerminationSignals::~TerminationSignals()
{
    DW_ASSERT_MAIN_THREAD();
    if (!m_installed)
        return;
    const QList<int> numbers = signalNumbers();
    for (int i = 0; i < numbers.size(); ++i)
        ::sigaction(numbers[i], &m_previous->actions[i], nullptr);
    g_writeEnd = -1;
    m_notifier.reset();
    ::close(m_readEnd);
    ::close(m_writeEnd);
}

void TerminationSignals::readSignals()
{
    DW_ASSERT_MAIN_THREAD();
    unsigned char numbers[16];
    for (;;) {
        const ssize_t count = ::read(m_readEnd, numbers, sizeof numbers);
        if (count <= 0)
            break;
        for (ssize_t i = 0; i < count; ++i) {
            qCWarning(Discwright::lcShell) << "received signal" << int(numbers[i]);
            if (m_handler)
                m_handler(int(numbers[i]));
        }
    }
}
