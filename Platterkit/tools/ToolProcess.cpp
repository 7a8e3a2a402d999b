#include "Platterkit/tools/ToolProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace Platterkit {

namespace {

// Enough of dvdauthor's or mkisofs's complaints to see why they stopped.
constexpr qsizetype kErrorTailBytes = 8192;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString quoted(const QString &word)
{
    if (!word.isEmpty() && !word.contains(QRegularExpression(QStringLiteral("[\\s'\"\\\\$`]"))))
        return word;
    QString escaped = word;
    escaped.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

// File descriptors and spawn attributes that must be released whatever happens in launch().
struct SpawnResources
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    bool actionsReady = false;
    bool attributesReady = false;
    int inputFd = -1;
    int outputFd = -1;
    int errorPipe[2] = {-1, -1};

    ~SpawnResources()
    {
        if (actionsReady)
            posix_spawn_file_actions_destroy(&actions);
        if (attributesReady)
            posix_spawnattr_destroy(&attributes);
        for (int fd : {inputFd, outputFd, errorPipe[0], errorPipe[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
};

} // namespace

ToolProcess::ToolProcess() = default;

ToolProcess::~ToolProcess()
{
    if (isRunning()) {
        terminate();
        waitUntilExit();
    }
    if (m_errorPipe >= 0)
        ::close(m_errorPipe);
}

void ToolProcess::setLaunchPath(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_launchPath = path;
}

QString ToolProcess::launchPath() const
{
    QMutexLocker locker(&m_lock);
    return m_launchPath;
}

void ToolProcess::setArguments(const QStringList &arguments)
{
    QMutexLocker locker(&m_lock);
    m_arguments = arguments;
}

QStringList ToolProcess::arguments() const
{
    QMutexLocker locker(&m_lock);
    return m_arguments;
}

void ToolProcess::setCurrentDirectoryPath(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_currentDirectory = path;
}

QString ToolProcess::currentDirectoryPath() const
{
    QMutexLocker locker(&m_lock);
    return m_currentDirectory;
}

void ToolProcess::setEnvironment(const std::optional<QMap<QString, QString>> &environment)
{
    QMutexLocker locker(&m_lock);
    m_environment = environment;
}

std::optional<QMap<QString, QString>> ToolProcess::environment() const
{
    QMutexLocker locker(&m_lock);
    return m_environment;
}

void ToolProcess::setStandardInputPath(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_standardInputPath = path;
}

QString ToolProcess::standardInputPath() const
{
    QMutexLocker locker(&m_lock);
    return m_standardInputPath;
}

void ToolProcess::setStandardOutputPath(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_standardOutputPath = path;
}

QString ToolProcess::standardOutputPath() const
{
    QMutexLocker locker(&m_lock);
    return m_standardOutputPath;
}

bool ToolProcess::launch()
{
    // The lock is held through the spawn so that a terminate() from another thread either comes
    // before (and is seen below) or after the pid is known.
    QMutexLocker locker(&m_lock);
    if (m_state != State::NotLaunched) {
        m_lastError = QStringLiteral("the process was already launched");
        return false;
    }
    auto fail = [this](const QString &reason) {
        m_state = State::FailedToStart;
        m_lastError = reason;
        return false;
    };

    const QFileInfo program(m_launchPath);
    if (m_launchPath.isEmpty() || !program.isAbsolute())
        return fail(QStringLiteral("no program path to start (\"%1\")").arg(m_launchPath));
    if (!program.exists())
        return fail(
            QStringLiteral("cannot start %1: the program does not exist").arg(m_launchPath));
    if (!program.isFile() || !program.isExecutable())
        return fail(QStringLiteral("cannot start %1: not an executable file").arg(m_launchPath));
    if (!m_currentDirectory.isEmpty() && !QFileInfo(m_currentDirectory).isDir())
        return fail(QStringLiteral("cannot start %1: the working folder %2 does not exist")
                        .arg(m_launchPath, m_currentDirectory));

    SpawnResources res;
    if (!m_standardInputPath.isEmpty()) {
        res.inputFd
            = ::open(QFile::encodeName(m_standardInputPath).constData(), O_RDONLY | O_CLOEXEC);
        if (res.inputFd < 0)
            return fail(QStringLiteral("cannot open %1 for reading: %2")
                            .arg(m_standardInputPath, errnoText(errno)));
    }
    if (!m_standardOutputPath.isEmpty()) {
        res.outputFd = ::open(QFile::encodeName(m_standardOutputPath).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                              0644);
        if (res.outputFd < 0)
            return fail(QStringLiteral("cannot open %1 for writing: %2")
                            .arg(m_standardOutputPath, errnoText(errno)));
    }
    if (::pipe2(res.errorPipe, O_CLOEXEC) != 0)
        return fail(QStringLiteral("cannot make a pipe: %1").arg(errnoText(errno)));

    posix_spawn_file_actions_init(&res.actions);
    res.actionsReady = true;
    if (res.inputFd >= 0)
        posix_spawn_file_actions_adddup2(&res.actions, res.inputFd, STDIN_FILENO);
    if (res.outputFd >= 0)
        posix_spawn_file_actions_adddup2(&res.actions, res.outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&res.actions, res.errorPipe[1], STDERR_FILENO);
    const QByteArray directory = QFile::encodeName(m_currentDirectory);
    if (!directory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&res.actions, directory.constData());

    // The child gets default signal handling and its own process group, so that terminate()
    // reaches whatever it starts in turn, and a parent that ignores SIGPIPE does not pass that on.
    posix_spawnattr_init(&res.attributes);
    res.attributesReady = true;
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGTERM, SIGINT, SIGPIPE, SIGHUP, SIGQUIT, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&res.attributes, &noSignals);
    posix_spawnattr_setsigdefault(&res.attributes, &defaults);
    posix_spawnattr_setpgroup(&res.attributes, 0);
    posix_spawnattr_setflags(
        &res.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    const QByteArray path = QFile::encodeName(m_launchPath);
    std::vector<QByteArray> argumentBytes{path};
    for (const QString &argument : m_arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> environmentBytes;
    std::vector<char *> envp;
    char **environment = environ;
    if (m_environment) {
        for (auto it = m_environment->cbegin(); it != m_environment->cend(); ++it)
            environmentBytes.push_back((it.key() + QLatin1Char('=') + it.value()).toLocal8Bit());
        for (QByteArray &bytes : environmentBytes)
            envp.push_back(bytes.data());
        envp.push_back(nullptr);
        environment = envp.data();
    }

    pid_t pid = -1;
    const int error = posix_spawn(
        &pid, path.constData(), &res.actions, &res.attributes, argv.data(), environment);
    if (error != 0)
        return fail(QStringLiteral("cannot start %1: %2").arg(m_launchPath, errnoText(error)));

    m_pid = pid;
    m_state = State::Running;
    m_errorPipe = res.errorPipe[0];
    res.errorPipe[0] = -1;
    ::fcntl(m_errorPipe, F_SETFL, ::fcntl(m_errorPipe, F_GETFL) | O_NONBLOCK);
    if (m_terminateRequested)
        ::kill(-m_pid, SIGTERM);
    return true;
}

void ToolProcess::appendError(const char *data, qsizetype size)
{
    QMutexLocker locker(&m_lock);
    m_errorTail.append(data, size);
    if (m_errorTail.size() > kErrorTailBytes)
        m_errorTail.remove(0, m_errorTail.size() - kErrorTailBytes);
}

void ToolProcess::waitUntilExit()
{
    pid_t pid;
    int errorPipe;
    {
        QMutexLocker locker(&m_lock);
        if (m_state != State::Running)
            return;
        pid = m_pid;
        errorPipe = m_errorPipe;
        m_errorPipe = -1;
    }

    // Read standard error until the child closes it. A grandchild may keep the pipe open after
    // the child has gone, so the child's own exit also ends the reading.
    char buffer[4096];
    auto drain = [&]() {
        for (;;) {
            const ssize_t count = ::read(errorPipe, buffer, sizeof buffer);
            if (count > 0) {
                appendError(buffer, count);
                continue;
            }
            if (count < 0 && errno == EINTR)
                continue;
            return count == 0; // true at end of file
        }
    };
    if (errorPipe >= 0) {
        for (;;) {
            pollfd watch{errorPipe, POLLIN, 0};
            const int ready = ::poll(&watch, 1, 200);
            if (ready < 0 && errno != EINTR)
                break;
            if (ready > 0) {
                if (drain())
                    break;
                continue;
            }
            siginfo_t info{};
            if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0
                && info.si_pid == pid) {
                drain();
                break;
            }
        }
        ::close(errorPipe);
    }

    // Wait without reaping, so that terminate() can still address the pid safely meanwhile.
    siginfo_t info{};
    while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    int status = 0;
    QMutexLocker locker(&m_lock);
    pid_t reaped;
    do {
        reaped = ::waitpid(pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped != pid) {
        m_state = State::Signalled;
        m_terminationStatus = -1;
        m_lastError = QStringLiteral("lost track of %1: %2").arg(m_launchPath, errnoText(errno));
        m_pid = -1;
        return;
    }
    m_pid = -1;
    if (WIFEXITED(status)) {
        m_state = State::Exited;
        m_terminationStatus = WEXITSTATUS(status);
        if (m_terminationStatus != 0)
            m_lastError = QStringLiteral("%1 exited with status %2")
                              .arg(QFileInfo(m_launchPath).fileName())
                              .arg(m_terminationStatus);
    } else {
        m_state = State::Signalled;
        m_terminationStatus = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
        m_lastError = QStringLiteral("%1 was stopped by signal %2")
                          .arg(QFileInfo(m_launchPath).fileName())
                          .arg(m_terminationStatus);
    }
}

void ToolProcess::terminate()
{
    QMutexLocker locker(&m_lock);
    m_terminateRequested = true;
    // m_pid is only set between spawn and reap, so the group cannot belong to another process.
    if (m_state == State::Running && m_pid > 0)
        ::kill(-m_pid, SIGTERM);
}

ToolProcess::State ToolProcess::state() const
{
    QMutexLocker locker(&m_lock);
    return m_state;
}

bool ToolProcess::isRunning() const
{
    return state() == State::Running;
}

bool ToolProcess::terminateRequested() const
{
    QMutexLocker locker(&m_lock);
    return m_terminateRequested;
}

int ToolProcess::terminationStatus() const
{
    QMutexLocker locker(&m_lock);
    return m_terminationStatus;
}

bool ToolProcess::succeeded() const
{
    QMutexLocker locker(&m_lock);
    return m_state == State::Exited && m_terminationStatus == 0;
}

QString ToolProcess::lastError() const
{
    QMutexLocker locker(&m_lock);
    return m_lastError;
}

QString ToolProcess::standardErrorTail() const
{
    QMutexLocker locker(&m_lock);
    return QString::fromLocal8Bit(m_errorTail);
}

QString ToolProcess::commandLine() const
{
    QMutexLocker locker(&m_lock);
    QStringList words{quoted(m_launchPath)};
    for (const QString &argument : m_arguments)
        words.append(quoted(argument));
    return words.join(QLatin1Char(' '));
}

QString ToolProcess::failureDescription() const
{
    const QString error = lastError();
    QString tail = standardErrorTail().trimmed();
    QStringList lines = tail.split(QLatin1Char('\n'));
    if (lines.size() > 12)
        lines = lines.mid(lines.size() - 12);
    QString text = QStringLiteral("%1: %2").arg(commandLine(), error.isEmpty() ? "failed" : error);
    if (!lines.join(QString()).trimmed().isEmpty())
        text += QStringLiteral("; last output:\n") + lines.join(QLatin1Char('\n'));
    return text;
}

} // namespace Platterkit
