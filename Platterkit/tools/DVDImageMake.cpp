#include "Platterkit/tools/DVDImageMake.h"

#include "Platterkit/tools/AuthorLog.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>

using Platterkit::lcAuthor;

void DVDImageMake::volumeWork(const QString &volume, const QString &workPath)
{
    prepare([this, volume, workPath]() { volumeHelperWork(volume, workPath); });
}

void DVDImageMake::setInputPath(const QString &path)
{
    QMutexLocker locker(&m_lock);
    m_inputPath = path;
}

QString DVDImageMake::inputPath() const
{
    QMutexLocker locker(&m_lock);
    return m_inputPath;
}

std::shared_ptr<Platterkit::ToolProcess> DVDImageMake::taskCurrentArguments(
    const QString &toolName, const QString &currentPath, const QStringList &arguments)
{
    return Platterkit::ToolRunner::inheritingTaskCurrentArguments(toolName, currentPath, arguments);
}

void DVDImageMake::volumeHelperWork(const QString &volume, const QString &workPath)
{
    setSucceeded(false);
    const QDir work(workPath);
    const QString chosen = inputPath();
    const QString input = chosen.isEmpty() ? work.filePath(QStringLiteral("dvd.dvdmedia")) : chosen;
    m_totalSize.store(fileSizeForItem(QDir(input).filePath(QStringLiteral("VIDEO_TS"))));
    const QString image = work.filePath(QStringLiteral("dvd.iso"));
    setOutput(image);

    const auto process = taskCurrentArguments(QStringLiteral("mkisofs"),
                                              workPath,
                                              {QStringLiteral("-dvd-video"),
                                               QStringLiteral("-V"),
                                               volume,
                                               QStringLiteral("-o"),
                                               QStringLiteral("dvd.iso"),
                                               input});
    qCDebug(lcAuthor).noquote() << "running" << process->commandLine() << "in" << workPath;
    if (control().run(process)) {
        setSucceeded(true);
        return;
    }
    // mkisofs leaves an empty or partial image when it fails or is stopped; nothing may mistake
    // that for a finished disc image.
    if (QFile::exists(image) && !QFile::remove(image))
        qCWarning(lcAuthor).noquote() << "cannot remove the partial image" << image;
    failRun(*process);
}

double DVDImageMake::progress() const
{
    return double(fileSizeForFile(output())) / double(std::max<qint64>(1, m_totalSize.load()));
}

qint64 DVDImageMake::fileSizeForItem(const QString &folder)
{
    return DVDFSMake::fileSizeForItem(folder);
}
