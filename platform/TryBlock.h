#pragma once

// Runs a piece of work and contains a platform::Exception raised inside it: the exception is
// logged as "tryBlock <receiver> <exception> <stack>" and not passed on. Other exception types pass
// through untouched. Records wrap whole file saves and loads in it, so that one broken value costs
// the operation, not the process.
//
// The application may install its own handler at start-up (setTryBlockHandler); every tryBlock
// call then goes through it. Any thread.

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QObject;

namespace platform {

// An error raised inside a tryBlock: a short name saying what kind of failure it is and a reason
// for the log. The call stack is taken where the exception is made.
class Exception : public std::exception
{
public:
    Exception(QString name, QString reason);

    const QString &name() const { return m_name; }
    const QString &reason() const { return m_reason; }
    // The stack where the exception was made, innermost first; empty when it cannot be taken.
    const QStringList &callStackSymbols() const { return m_callStack; }
    // "name: reason", as the log shows it.
    QString description() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_name;
    QString m_reason;
    QStringList m_callStack;
    QByteArray m_what;
};

using TryBlockHandler
    = std::function<void(const QObject *receiver, const std::function<void()> &block)>;

// Runs block now, on the calling thread, through the installed handler (or the default one).
void tryBlock(const QObject *receiver, const std::function<void()> &block);

// Replaces the handler; an empty handler restores the default. Returns the previous handler
// (empty when it was the default).
TryBlockHandler setTryBlockHandler(TryBlockHandler handler);

// The default behaviour: runs block, catches a platform::Exception and logs it.
void defaultTryBlock(const QObject *receiver, const std::function<void()> &block);

// "<ClassName: 0x...>" (with the object name when it has one), or "(null)".
QString describeObject(const QObject *object);
// The stack text of the log line: "(frame, frame, ...)" or "<no stack>".
QString describeCallStack(const QStringList &symbols);

} // namespace platform
