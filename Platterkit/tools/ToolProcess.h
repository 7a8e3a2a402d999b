#pragma once

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

namespace Platterkit {

/**
 * One run of an external program (dvdauthor, spumux, mkisofs): prepared with its launch path,
 * arguments, working folder and environment, then launched once and waited for.
 *
 * The production thread calls launch() and waitUntilExit(); terminate(), isRunning() and the
 * result getters may be called from any thread at any time. terminate() before launch() is kept,
 * and launch() then stops the child right after starting it, so a stop request can never slip in
 * between the start and the moment the caller stores the process.
 *
 * The child runs in a process group of its own; terminate() sends SIGTERM to that group. Its
 * standard error is read through a pipe and the last few kilobytes are kept for the failure
 * message; its standard input and output are the parent's unless files are attached.
 * Destroying a process that still runs terminates it and waits for it, so no child is left behind.
 */
class ToolProcess
{
public:
    enum class State { NotLaunched, FailedToStart, Running, Exited, Signalled };

    ToolProcess();
    ~ToolProcess();
    ToolProcess(const ToolProcess &) = delete;
    ToolProcess &operator=(const ToolProcess &) = delete;

    // --- Preparation (before launch) ----------------------------------------------------------
    // An absolute path to the program.
    void setLaunchPath(const QString &path);
    QString launchPath() const;
    void setArguments(const QStringList &arguments);
    QStringList arguments() const;
    // The child's working folder; empty keeps the parent's.
    void setCurrentDirectoryPath(const QString &path);
    QString currentDirectoryPath() const;
    // The child's whole environment; std::nullopt (the default) inherits the parent's as it is
    // at launch time.
    void setEnvironment(const std::optional<QMap<QString, QString>> &environment);
    std::optional<QMap<QString, QString>> environment() const;
    // A file read as the child's standard input; empty keeps the parent's.
    void setStandardInputPath(const QString &path);
    QString standardInputPath() const;
    // A file created (or truncated) as the child's standard output; empty keeps the parent's.
    void setStandardOutputPath(const QString &path);
    QString standardOutputPath() const;

    // --- Running ------------------------------------------------------------------------------
    // Starts the child. False when it cannot be started (missing or non-executable program,
    // missing working folder, unreadable input, unwritable output); lastError() says why. A
    // process is launched at most once.
    bool launch();
    // Blocks until the child has exited (collecting its standard error meanwhile). Returns at once
    // when it was never launched or has already been waited for.
    void waitUntilExit();
    // Asks the child to stop (SIGTERM to its process group). Safe from any thread; a no-op once
    // the child has been reaped. Before launch it marks the process so that launch stops the
    // child as soon as it is started.
    void terminate();

    // --- Results ------------------------------------------------------------------------------
    State state() const;
    bool isRunning() const;
    bool terminateRequested() const;
    // The exit status after a normal exit, the signal number after a kill, -1 otherwise.
    int terminationStatus() const;
    // Exited normally with status 0.
    bool succeeded() const;
    QString lastError() const;
    // The last few kilobytes the child wrote to standard error.
    QString standardErrorTail() const;
    // The program and its arguments as one line, quoted where needed, for log messages.
    QString commandLine() const;
    // One line for the log: the command line, how it ended and the tail of its standard error.
    QString failureDescription() const;

private:
    void appendError(const char *data, qsizetype size);

    mutable QMutex m_lock;
    QString m_launchPath;
    QStringList m_arguments;
    QString m_currentDirectory;
    std::optional<QMap<QString, QString>> m_environment;
    QString m_standardInputPath;
    QString m_standardOutputPath;

    State m_state = State::NotLaunched;
    pid_t m_pid = -1;
    bool m_terminateRequested = false;
    int m_terminationStatus = -1;
    QString m_lastError;
    QByteArray m_errorTail;
    int m_errorPipe = -1; // read end, owned by the waiting thread
};

} // namespace Platterkit
