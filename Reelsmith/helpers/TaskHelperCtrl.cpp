#include "Reelsmith/helpers/TaskHelperCtrl.h"

#include "Reelsmith/detail/ProcessPaths.h"
#include "platform/ClassRegistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <chrono>
#include <dlfcn.h>
#include <unistd.h>

using Reelsmith::lcHelpers;

namespace {

std::atomic<int> g_helperKey{0};

} // namespace

namespace Reelsmith::detail {

// The controller's side of the connection, on the controller's own thread: the listening socket,
// the one client and the child process.
class TaskHelperServer : public QObject
{
public:
    explicit TaskHelperServer(TaskHelperCtrl *owner)
        : m_owner(owner)
    {}

    bool listen(const QString &path)
    {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(path);
        if (!m_server->listen(path)) {
            qCWarning(lcHelpers) << "cannot publish" << path << m_server->errorString();
            return false;
        }
        QObject::connect(m_server, &QLocalServer::newConnection, this, [this] { accept(); });
        return true;
    }

    bool start(const QString &program, const QStringList &arguments)
    {
        m_process = new QProcess(this);
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(
            m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
                qCDebug(lcHelpers) << "helper ended" << code << status;
                m_owner->processEnded();
            });
        m_process->start(program, arguments);
        if (!m_process->waitForStarted()) {
            qCWarning(lcHelpers).noquote() << QStringLiteral("helper %1 failed to start: %2")
                                                  .arg(program, m_process->errorString());
            return false;
        }
        return true;
    }

    void send(const QByteArray &line)
    {
        if (m_client && m_client->state() == QLocalSocket::ConnectedState)
            m_client->write(line);
    }

    void stop()
    {
        if (m_client) {
            m_client->disconnect(this);
            m_client->abort();
            m_client->deleteLater();
            m_client = nullptr;
        }
        if (m_process && m_process->state() != QProcess::NotRunning) {
            m_process->terminate();
            if (!m_process->waitForFinished(3000)) {
                m_process->kill();
                m_process->waitForFinished(3000);
            }
        }
    }

private:
    void accept()
    {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            QObject::connect(
                socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
                if (socket == m_client) {
                    m_client = nullptr;
                    m_owner->clientGone();
                }
                socket->deleteLater();
            });
        }
    }

    void read(QLocalSocket *socket)
    {
        while (socket->canReadLine()) {
            const QJsonObject message = QJsonDocument::fromJson(socket->readLine()).object();
            if (message.value(QLatin1String("msg")).toString() == QLatin1String("connectClient")) {
                m_client = socket;
                m_owner->clientConnected();
            } else if (socket == m_client && message.contains(QLatin1String("id"))) {
                m_owner->answerArrived(message.value(QLatin1String("id")).toInteger(),
                                       message.value(QLatin1String("result")).toVariant());
            }
        }
    }

    TaskHelperCtrl *m_owner;
    QLocalServer *m_server = nullptr;
    QLocalSocket *m_client = nullptr;
    QProcess *m_process = nullptr;
};

} // namespace Reelsmith::detail

using Reelsmith::detail::TaskHelperServer;

std::shared_ptr<TaskHelperCtrl> TaskHelperCtrl::helper()
{
    auto controller = std::make_shared<TaskHelperCtrl>();
    controller->installServerPort();
    return controller;
}

TaskHelperCtrl::TaskHelperCtrl()
    : m_thread(std::make_unique<QThread>())
{
    m_thread->setObjectName(QStringLiteral("TaskHelperCtrl"));
    m_server = new TaskHelperServer(this);
    m_server->moveToThread(m_thread.get());
    if (QCoreApplication::instance())
        m_thread->start();
}

TaskHelperCtrl::~TaskHelperCtrl()
{
    if (!m_thread->isRunning()) {
        delete m_server;
        return;
    }
    terminate();
    // The server's objects belong to its thread: delete them there, then end the thread.
    QMetaObject::invokeMethod(
        m_server, [server = m_server] { delete server; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    if (!m_serverPath.isEmpty())
        QLocalServer::removeServer(m_serverPath);
}

QString TaskHelperCtrl::prefixForTaskHelperNameKey()
{
    return QStringLiteral("corvane-task-name");
}

QString TaskHelperCtrl::prefixForTaskHelperName()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(prefixForTaskHelperNameKey()))
        return QString();
    return environment.value(prefixForTaskHelperNameKey());
}

int TaskHelperCtrl::helperKey()
{
    return g_helperKey.load();
}

QString TaskHelperCtrl::helper_default_mach_name()
{
    const int key = ++g_helperKey;
    const QString prefix = helper_app_mach_name_prefix();
    if (!prefix.isEmpty())
        return QStringLiteral("%1.mach-%2-:pid").arg(prefix).arg(key);
    return QStringLiteral("%1-%2-:pid-:name").arg(helper_default_mach_name_prefix()).arg(key);
}

QString TaskHelperCtrl::publishedName(const QString &machTemplate, qint64 pid)
{
    QString name = machTemplate;
    name.replace(QLatin1String(":pid"), QString::number(pid));
    name.replace(QLatin1String(":name"), QLatin1String("_OpenStep"));
    return name;
}

bool TaskHelperCtrl::installServerPort()
{
    if (m_published.load())
        return true;
    // The connection's thread runs an event loop, which needs the application object.
    if (!QCoreApplication::instance() || !m_thread->isRunning()) {
        qCWarning(lcHelpers) << "the helper service needs an application object";
        return false;
    }
    const QString root = Reelsmith::detail::privateTempRoot();
    if (root.isEmpty()) {
        qCWarning(lcHelpers) << "no private temporary folder for the helper service";
        return false;
    }
    m_machName = helper_default_mach_name();
    m_serverPath = root + QLatin1Char('/') + publishedName(m_machName, qint64(getpid()));
    bool listening = false;
    QMetaObject::invokeMethod(
        m_server,
        [&] { listening = m_server->listen(m_serverPath); },
        Qt::BlockingQueuedConnection);
    m_published.store(listening);
    return listening;
}

void TaskHelperCtrl::updateHelperApp(bool app, bool background)
{
    m_appMode = app;
    m_backgroundMode = background;
}

void TaskHelperCtrl::runHelper()
{
    runHelperName(default_helper_name(), m_appMode, m_backgroundMode);
}

void TaskHelperCtrl::runHelperName(const QString &name, bool app, bool background)
{
    if (m_started.load())
        return;
    const QString path = name.contains(QLatin1Char('/'))
                             ? name
                             : Reelsmith::detail::executableDir() + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path)) {
        qCWarning(lcHelpers).noquote() << QStringLiteral("app not exist %1").arg(path);
        return;
    }
    if (!installServerPort())
        return;
    QStringList arguments{m_machName};
    if (app)
        arguments.append(QStringLiteral("helper.app.run"));
    if (background)
        arguments.append(QStringLiteral("helper.app.background"));
    bool started = false;
    m_running.store(true);
    QMetaObject::invokeMethod(
        m_server,
        [&] { started = m_server->start(path, arguments); },
        Qt::BlockingQueuedConnection);
    m_running.store(started);
    m_started.store(started);
}

bool TaskHelperCtrl::waitForConnected(int ms)
{
    std::unique_lock guard(m_lock);
    return m_answered.wait_for(guard, std::chrono::milliseconds(ms), [this] {
        return m_connected.load() || (m_started.load() && !m_running.load());
    }) && m_connected.load();
}

void TaskHelperCtrl::terminate()
{
    if (!m_thread->isRunning())
        return;
    QMetaObject::invokeMethod(
        m_server, [this] { m_server->stop(); }, Qt::BlockingQueuedConnection);
    clientGone();
}

QVariant TaskHelperCtrl::helperTaskName(const QString &name)
{
    const QVariant result = request(QStringLiteral("helperTaskName"), {name});
    if (result.isNull())
        qCWarning(lcHelpers).noquote() << QStringLiteral("helper %1 failed").arg(name);
    return result;
}

QVariant TaskHelperCtrl::helperTaskName(const QString &className, const QString &selectorName)
{
    const QVariant result
        = request(QStringLiteral("className:selectorName:"), {className, selectorName});
    if (result.isNull())
        qCWarning(lcHelpers).noquote() << QStringLiteral("helper %1 failed").arg(className);
    return result;
}

QVariant TaskHelperCtrl::loadFrameworkPath(const QString &path)
{
    return request(QStringLiteral("loadFrameworkPath:"), {path});
}

QVariant TaskHelperCtrl::loadFrameworkForClass(const QString &className)
{
    // The class's meta object lives in the library that defines the class.
    const ObjectRef instance = platform::ClassRegistry::instance().create(className);
    Dl_info info{};
    if (!instance || !dladdr(instance->metaObject(), &info) || !info.dli_fname) {
        qCWarning(lcHelpers).noquote() << QStringLiteral("helper %1 failed").arg(className);
        return QVariant();
    }
    return loadFrameworkPath(QFile::decodeName(info.dli_fname));
}

QVariant TaskHelperCtrl::request(const QString &message, const QVariantList &arguments)
{
    if (!m_connected.load())
        return QVariant();
    qint64 id;
    {
        std::lock_guard guard(m_lock);
        id = ++m_nextId;
        m_answers[id] = std::nullopt;
    }
    const QByteArray line = QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                                      {QStringLiteral("msg"), message},
                                                      {QStringLiteral("args"),
                                                       QJsonArray::fromVariantList(arguments)}})
                                .toJson(QJsonDocument::Compact)
                            + '\n';
    QMetaObject::invokeMethod(
        m_server, [this, line] { m_server->send(line); }, Qt::QueuedConnection);
    std::unique_lock guard(m_lock);
    m_answered.wait_for(guard, std::chrono::milliseconds(kRequestTimeoutMs), [&] {
        return m_answers[id].has_value() || !m_connected.load();
    });
    const QVariant result = m_answers[id].value_or(QVariant());
    m_answers.erase(id);
    return result;
}

void TaskHelperCtrl::clientConnected()
{
    {
        std::lock_guard guard(m_lock);
        m_connected.store(true);
    }
    m_answered.notify_all();
}

void TaskHelperCtrl::clientGone()
{
    {
        std::lock_guard guard(m_lock);
        m_connected.store(false);
    }
    // Waiting requests end now instead of after their timeout.
    m_answered.notify_all();
}

void TaskHelperCtrl::answerArrived(qint64 id, const QVariant &result)
{
    {
        std::lock_guard guard(m_lock);
        auto it = m_answers.find(id);
        if (it == m_answers.end())
            return; // late: its caller gave up
        it->second = result.isNull() ? QVariant() : result;
    }
    m_answered.notify_all();
}

void TaskHelperCtrl::processEnded()
{
    {
        std::lock_guard guard(m_lock);
        m_running.store(false);
    }
    m_answered.notify_all();
}
