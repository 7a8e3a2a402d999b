#include "platform/TryBlock.h"

#include "platform/Log.h"

#include <QMutex>
#include <QObject>
#include <cstdlib>
#include <execinfo.h>

namespace platform {
namespace {

constexpr int kMaxFrames = 16;

QStringList captureStack()
{
    void *frames[kMaxFrames + 2];
    const int count = ::backtrace(frames, kMaxFrames + 2);
    if (count <= 2)
        return {};
    // Skip this function and the Exception constructor.
    char **symbols = ::backtrace_symbols(frames + 2, count - 2);
    if (!symbols)
        return {};
    QStringList out;
    for (int i = 0; i < count - 2; ++i)
        out.append(QString::fromLocal8Bit(symbols[i]));
    std::free(symbols);
    return out;
}

QMutex &handlerLock()
{
    static QMutex lock;
    return lock;
}

TryBlockHandler &installedHandler()
{
    static TryBlockHandler handler;
    return handler;
}

} // namespace

Exception::Exception(QString name, QString reason)
    : m_name(std::move(name))
    , m_reason(std::move(reason))
    , m_callStack(captureStack())
    , m_what(description().toUtf8())
{}

QString Exception::description() const
{
    if (m_name.isEmpty())
        return m_reason;
    return QStringLiteral("%1: %2").arg(m_name, m_reason);
}

QString describeObject(const QObject *object)
{
    if (!object)
        return QStringLiteral("(null)");
    const QString address = QStringLiteral("0x%1").arg(quintptr(object), 0, 16);
    const QString className = QString::fromLatin1(object->metaObject()->className());
    if (object->objectName().isEmpty())
        return QStringLiteral("<%1: %2>").arg(className, address);
    return QStringLiteral("<%1: %2 \"%3\">").arg(className, address, object->objectName());
}

QString describeCallStack(const QStringList &symbols)
{
    if (symbols.isEmpty())
        return QStringLiteral("<no stack>");
    return QStringLiteral("(%1)").arg(symbols.join(QStringLiteral(", ")));
}

void defaultTryBlock(const QObject *receiver, const std::function<void()> &block)
{
    if (!block)
        return;
    try {
        block();
    } catch (const Exception &exception) {
        qCWarning(lcPlatform).noquote()
            << QStringLiteral("tryBlock %1 %2 %3")
                   .arg(describeObject(receiver),
                        exception.description(),
                        describeCallStack(exception.callStackSymbols()));
    }
}

void tryBlock(const QObject *receiver, const std::function<void()> &block)
{
    TryBlockHandler handler;
    {
        QMutexLocker locker(&handlerLock());
        handler = installedHandler();
    }
    if (handler)
        handler(receiver, block);
    else
        defaultTryBlock(receiver, block);
}

TryBlockHandler setTryBlockHandler(TryBlockHandler handler)
{
    QMutexLocker locker(&handlerLock());
    TryBlockHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

} // namespace platform
