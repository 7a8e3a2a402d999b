#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

namespace Reelsmith::detail {
class TaskHelperServer;
}

/**
 * Starts a general helper process (taskhand by default, found beside the executable) and talks to
 * it over a local socket that the controller publishes under a name the helper can rebuild from
 * its first argument. The helper connects back and says {"msg":"connectClient"}; then each
 * request of ours is one JSON line {"id":n,"msg":...,"args":[...]} answered by
 * {"id":n,"result":...} (null stands for no answer).
 *
 * The socket is user-only, in the private temporary root. The server, the connection and the
 * child process live on the controller's own thread; every public call may come from any other
 * thread, and the requests block their caller until the answer or 30 s. One controller starts at
 * most one process. Held by std::shared_ptr (or owned by one object); its destructor terminates
 * the helper.
 */
class TaskHelperCtrl
{
public:
    /** How long a request waits for its answer. */
    static constexpr int kRequestTimeoutMs = 30000;

    /** A new controller with its service already published. */
    static std::shared_ptr<TaskHelperCtrl> helper();

    TaskHelperCtrl();
    ~TaskHelperCtrl();
    TaskHelperCtrl(const TaskHelperCtrl &) = delete;
    TaskHelperCtrl &operator=(const TaskHelperCtrl &) = delete;

    /** "corvane-task-name": the environment variable that holds a service name prefix. */
    static QString prefixForTaskHelperNameKey();
    /** That variable's value, or a null string. */
    static QString prefixForTaskHelperName();
    QString helper_app_mach_name_prefix() const { return prefixForTaskHelperName(); }
    QString default_helper_name() const { return QStringLiteral("taskhand"); }
    QString helper_default_mach_name_prefix() const
    {
        return QStringLiteral("corvane-task-helper");
    }
    /**
     * The next service name template of this process (the counter grows by one first):
     * "<prefix>.mach-<n>-:pid" with an environment prefix, else "corvane-task-helper-<n>-:pid-:name".
     */
    QString helper_default_mach_name();
    /** The process-wide counter of service names. */
    static int helperKey();
    /** The template with ":pid" replaced by pid and ":name" by "_OpenStep". */
    static QString publishedName(const QString &machTemplate, qint64 pid);

    /** Publishes the service (once); false with the reason logged when it cannot listen. */
    bool installServerPort();
    /** The template handed to the helper. */
    QString mach_name() const { return m_machName; }
    /** The socket path the service listens at. */
    QString serverPath() const { return m_serverPath; }

    void updateHelperApp(bool app, bool background);
    /** runHelperName with default_helper_name and the two mode flags. */
    void runHelper();
    /**
     * Starts the helper once: a name without "/" is looked for beside the executable. A missing
     * file logs "app not exist <path>" and starts nothing. Arguments: mach_name, then
     * "helper.app.run" and "helper.app.background" when those modes are set.
     */
    void runHelperName(const QString &name, bool app, bool background);

    bool isConnected() const { return m_connected.load(); }
    bool isStarted() const { return m_started.load(); }
    /** Started, and the process no longer runs. */
    bool isDisConnected() const { return m_started.load() && !m_running.load(); }
    /** Waits up to ms for the helper's connectClient; true when connected. */
    bool waitForConnected(int ms);
    /** Drops the client and ends the process. */
    void terminate();

    /** Asks the helper for a task by name; null (and "helper <name> failed" logged) without one. */
    QVariant helperTaskName(const QString &name);
    /** Asks the helper to run a registered class's selector; null logs "helper <class> failed". */
    QVariant helperTaskName(const QString &className, const QString &selectorName);
    /** Asks the helper to load a library; null when it cannot. */
    QVariant loadFrameworkPath(const QString &path);
    /**
     * Asks the helper to load the library that holds a registered record class in this process;
     * null when the class is unknown here or the helper cannot load it.
     */
    QVariant loadFrameworkForClass(const QString &className);

private:
    friend class Reelsmith::detail::TaskHelperServer;
    QVariant request(const QString &message, const QVariantList &arguments);
    // Called on the controller's thread by the server.
    void clientConnected();
    void clientGone();
    void answerArrived(qint64 id, const QVariant &result);
    void processEnded();

    QString m_machName;
    QString m_serverPath;
    bool m_appMode = false;
    bool m_backgroundMode = false;
    std::unique_ptr<QThread> m_thread;
    Reelsmith::detail::TaskHelperServer *m_server = nullptr; // lives on m_thread
    std::atomic<bool> m_published{false};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_connected{false};

    std::mutex m_lock; // guards the answers below
    std::condition_variable m_answered;
    qint64 m_nextId = 0;
    std::map<qint64, std::optional<QVariant>> m_answers;
};
