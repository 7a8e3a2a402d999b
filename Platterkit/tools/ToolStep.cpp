#include "Platterkit/tools/ToolStep.h"

#include "Platterkit/tools/AuthorLog.h"

#include <QFileInfo>
#include <QMutexLocker>

ToolStep::~ToolStep()
{
    m_control.cancel();
}

void ToolStep::prepare(std::function<void()> action)
{
    m_action = std::move(action);
}

void ToolStep::start()
{
    if (!m_action || m_started.exchange(true))
        return;
    if (m_control.isCancelled()) {
        fail(QStringLiteral("cancelled before it started"));
        return;
    }
    const auto action = std::move(m_action);
    m_action = nullptr;
    action();
}

void ToolStep::cancel()
{
    m_control.cancel();
}

void ToolStep::fail(const QString &reason)
{
    QMutexLocker locker(&m_lock);
    m_lastError = reason;
    m_succeeded.store(false);
}

void ToolStep::failRun(const Platterkit::ToolProcess &process)
{
    if (m_control.isCancelled()) {
        fail(QStringLiteral("cancelled"));
        qCDebug(Platterkit::lcAuthor).noquote() << "cancelled:" << process.commandLine();
        return;
    }
    fail(process.lastError());
    qCWarning(Platterkit::lcAuthor).noquote() << process.failureDescription();
}

QString ToolStep::lastError() const
{
    QMutexLocker locker(&m_lock);
    return m_lastError;
}

void ToolStep::setOutput(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_output = path;
}

QString ToolStep::output() const
{
    QMutexLocker locker(&m_lock);
    return m_output;
}

qint64 ToolStep::fileSizeForFile(const QString &file)
{
    const QFileInfo info(file);
    return info.isFile() ? info.size() : 0;
}
