#pragma once

// Brings SIGTERM, SIGINT and SIGHUP into the event loop, so that a logout, a Ctrl-C or a kill
// ends the program the way its Quit command does instead of leaving work files behind. The
// signal handler does the one thing a handler may safely do, write the signal's number to a pipe;
// a QSocketNotifier on the pipe's other end then calls the handler given here on the thread that
// made the object, between two events.
//
// One instance at a time for the process (the dispositions and the pipe are process-wide). Made,
// used and destroyed on the main thread; destruction puts back the dispositions found before.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

class TerminationSignals : public QObject
{
public:
    using Handler = std::function<void(int signalNumber)>;

    // Installs the handlers; isInstalled() says whether that worked (it fails when another
    // instance is alive or the pipe cannot be made).
    explicit TerminationSignals(Handler handler, QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return m_installed; }

    // SIGTERM, SIGINT and SIGHUP.
    static QList<int> signalNumbers();

private:
    void readSignals();

    Handler m_handler;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    bool m_installed = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct Previous;
    std::unique_ptr<Previous> m_previous;
};
