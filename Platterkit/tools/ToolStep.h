#pragma once

#include "Platterkit/tools/DVDMakeTask.h"
#include "Platterkit/tools/ToolTaskControl.h"

#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

/**
 * What the authoring steps that run one tool (dvdauthor, mkisofs, spumux) share: the work is
 * prepared first and run once by start() on the production thread, while cancel(), progress() and
 * the result may be asked from any thread. A cancel that comes before start() keeps the work from
 * running at all, and the step ends failed.
 */
class ToolStep : public DVDMakeTask
{
public:
    ToolStep(const ToolStep &) = delete;
    ToolStep &operator=(const ToolStep &) = delete;
    // A step released while its run goes on (it should not be) still stops the child.
    ~ToolStep() override;

    // Runs the prepared work on the calling thread and returns when it is over. Nothing happens
    // when nothing is prepared or the step has already started.
    void start();
    // Stops the run: a prepared run does not start, a running tool is terminated.
    void cancel() override;

    // Whether the last start() produced the step's output; lastError() says why not.
    bool succeeded() const { return m_succeeded.load(); }
    QString lastError() const;
    // The file or folder the step writes; empty before it is known.
    QString output() const;
    // The running tool; null before launch and after exit.
    std::shared_ptr<Platterkit::ToolProcess> task() const { return m_control.task(); }

    // The file's size in bytes; 0 when it does not exist or cannot be read.
    static qint64 fileSizeForFile(const QString &file);

protected:
    ToolStep() = default;

    void prepare(std::function<void()> action);
    void setOutput(const QString &path);
    void setSucceeded(bool succeeded) { m_succeeded.store(succeeded); }
    // Records why the step failed.
    void fail(const QString &reason);
    // Records why the step's tool run did not succeed: "cancelled" after a cancel, otherwise the
    // process's own reason, logged with its command line and the tail of its standard error.
    void failRun(const Platterkit::ToolProcess &process);
    Platterkit::ToolTaskControl &control() { return m_control; }
    const Platterkit::ToolTaskControl &control() const { return m_control; }

private:
    Platterkit::ToolTaskControl m_control;
    std::function<void()> m_action;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_succeeded{false};
    mutable QMutex m_lock;
    QString m_output;
    QString m_lastError;
};
