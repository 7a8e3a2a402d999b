#include "app/AppExtention/Document/ProjectPackageJobs.h"

#include "app/AppExtention/Document/DocumentLog.h"
#include "platform/MainThread.h"

ProjectPackageJobs::ProjectPackageJobs(QObject *parent)
    : QObject(parent)
{}

ProjectPackageJobs::~ProjectPackageJobs()
{
    if (m_worker.joinable())
        m_worker.join();
}

void ProjectPackageJobs::startWorker(std::function<void()> work)
{
    // The previous worker posted its result as its last act, so this join does not wait.
    if (m_worker.joinable())
        m_worker.join();
    m_busy = true;
    m_worker = std::thread(std::move(work));
}

bool ProjectPackageJobs::save(ProjectContents &contents,
                              const QString &currentPackage,
                              const QString &path,
                              ProjectPackage::WriteMode mode,
                              SaveDone done,
                              QString *error)
{
    DW_ASSERT_MAIN_THREAD(return false);
    if (m_busy) {
        if (error)
            *error = QStringLiteral("another project job is running");
        return false;
    }
    auto snapshot = ProjectPackage::takeSnapshot(contents, currentPackage, error);
    if (!snapshot)
        return false;
    startWorker([this, snapshot = std::move(*snapshot), path, mode, done = std::move(done)] {
        QString why;
        PackageWriteReport report;
        const bool ok = ProjectPackage::writePackage(snapshot, path, mode, &report, &why);
        qCDebug(Discwright::lcDocument) << "saved" << path << ok << "linked" << report.linked
                                        << "copied" << report.copied << "present" << report.present;
        platform::postToMainThread(this, [this, ok, why, done] {
            m_busy = false;
            done(ok, why);
        });
    });
    return true;
}

bool ProjectPackageJobs::open(const QString &path, OpenDone done)
{
    DW_ASSERT_MAIN_THREAD(return false);
    if (m_busy)
        return false;
    startWorker([this, path, done = std::move(done)] {
        QString why;
        std::optional<ProjectContents> contents = path.isEmpty()
                                                      ? std::optional(ProjectPackage::newProject())
                                                      : ProjectPackage::readPackage(path, &why);
        if (!contents)
            qCWarning(Discwright::lcDocument) << "cannot open" << path << ":" << why;
        platform::postToMainThread(this,
                                   [this, contents = std::move(contents), why, done]() mutable {
                                       m_busy = false;
                                       done(std::move(contents), why);
                                   });
    });
    return true;
}
