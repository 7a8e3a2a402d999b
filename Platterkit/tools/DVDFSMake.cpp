#include "Platterkit/tools/DVDFSMake.h"

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/tools/AuthorLog.h"
#include "Platterkit/tools/ToolRunner.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>

using Platterkit::lcAuthor;

void DVDFSMake::dvdWork(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath)
{
    prepare([this, dvd, workPath]() { dvdHelperWork(dvd, workPath); });
}

void DVDFSMake::dvdHelperWork(const std::shared_ptr<DVDLibrary> &dvd, const QString &workPath)
{
    setSucceeded(false);
    if (!dvd) {
        fail(QStringLiteral("no disc to author"));
        return;
    }
    const QDir work(workPath);
    // The input streams lie directly in the work folder; author.xml does not exist yet.
    m_totalSize.store(fileSizeForItem(workPath));
    setOutput(work.filePath(QStringLiteral("dvd.dvdmedia/VIDEO_TS")));

    // dvdauthor adds a title set to an existing folder instead of replacing it, so the folder of
    // an earlier run would give a disc with its titles twice.
    const QString media = work.filePath(QStringLiteral("dvd.dvdmedia"));
    if (QFileInfo::exists(media) && !QDir(media).removeRecursively()) {
        fail(QStringLiteral("cannot remove the earlier %1").arg(media));
        qCWarning(lcAuthor).noquote() << lastError();
        return;
    }

    const QString xmlPath = work.filePath(QStringLiteral("author.xml"));
    QString writeError;
    if (!platform::writeFileAtomically(dvd->authorContent().toUtf8(), xmlPath, &writeError)) {
        fail(writeError);
        qCWarning(lcAuthor).noquote() << lastError();
        return;
    }

    const auto process = dvd->taskCurrentArguments(QStringLiteral("dvdauthor"),
                                                   workPath,
                                                   {QStringLiteral("-x"),
                                                    QStringLiteral("author.xml"),
                                                    QStringLiteral("-o"),
                                                    QStringLiteral("dvd.dvdmedia")});
    qCDebug(lcAuthor).noquote() << "running" << process->commandLine() << "in" << workPath;
    const bool ran = control().run(process);

    QFile::remove(xmlPath);
    if (ran) {
        setSucceeded(true);
        return;
    }
    QDir(media).removeRecursively();
    failRun(*process);
}

double DVDFSMake::progress() const
{
    return double(fileSizeForItem(output())) / double(std::max<qint64>(1, m_totalSize.load()));
}

qint64 DVDFSMake::fileSizeForItem(const QString &folder)
{
    if (folder.isEmpty())
        return 0;
    qint64 total = 0;
    const QFileInfoList entries
        = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        total += entry.size();
    return total;
}
