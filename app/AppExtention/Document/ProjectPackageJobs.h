#pragma once

#include "app/AppExtention/Document/ProjectPackage.h"

#include <QObject>
#include <functional>
#include <optional>
#include <thread>

/**
 * Runs the package's slow parts off the main thread, one job at a time: the writing of a snapshot
 * taken on the main thread, and the reading of a package (or the making of a new project) into
 * new objects. Each job ends with its callback on the main thread; the caller swaps a read
 * project in there, so nothing that a window shows is touched by the worker.
 *
 * Owned by the main window controller. Main thread only; the destructor waits for a running job,
 * whose callback is then dropped.
 */
class ProjectPackageJobs : public QObject
{
    Q_OBJECT
public:
    using SaveDone = std::function<void(bool ok, const QString &error)>;
    using OpenDone
        = std::function<void(std::optional<ProjectContents> contents, const QString &error)>;

    explicit ProjectPackageJobs(QObject *parent = nullptr);
    ~ProjectPackageJobs() override;

    // Takes the snapshot now, pruning contents.tempDataArray, then writes it to path on the
    // worker; done follows on the main thread. False (and no job, no callback) while another job
    // runs or when the project cannot be archived; *error says why.
    bool save(ProjectContents &contents,
              const QString &currentPackage,
              const QString &path,
              ProjectPackage::WriteMode mode,
              SaveDone done,
              QString *error = nullptr);
    // Reads the package at path on the worker (a new project for an empty path); done follows on
    // the main thread with the new objects, or with none and the reason. False while another job
    // runs.
    bool open(const QString &path, OpenDone done);

    bool isBusy() const { return m_busy; }

private:
    void startWorker(std::function<void()> work);

    bool m_busy = false;
    std::thread m_worker;
};
