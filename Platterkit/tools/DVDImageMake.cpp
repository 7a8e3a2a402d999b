#include "Platterkit/tools/DVDImageMake.h"

#include "Platterkit/tools/AuthorLog.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <algorithm>

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
                                               QStringLiteral("-input-charset"),
                                               QStringLiteral("utf-8"),
                                               QStringLiteral("-V"),
                                               volume,
                                               QStringLiteral("-o"),
                                               QStringLiteral("dvd.iso"),
                                               input});
    qCDebug(lcAuthor).noquote() << "running" << process->commandLine() << "in" << workPath;
    if (control().run(process)) {
        // mkisofs copies the name's UTF-8 bytes into the ISO 9660 volume id, which readers of
        // that file system show as garbage; an ASCII name is already right.
        QString error;
        const bool ascii = std::all_of(volume.cbegin(), volume.cend(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() < 0x7f;
        });
        if (ascii || writeIsoVolumeId(image, volume, &error)) {
            setSucceeded(true);
            return;
        }
        QFile::remove(image);
        ToolStep::fail(QStringLiteral("Cannot label the disc image: %1").arg(error));
        qCWarning(lcAuthor).noquote() << "image" << image << ":" << error;
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

QByteArray DVDImageMake::isoVolumeIdForName(const QString &name)
{
    constexpr int kLength = 32;
    QByteArray id;
    for (const QChar c : name.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (id.size() == kLength)
            break;
        id.append(c.unicode() >= 0x20 && c.unicode() < 0x7f ? char(c.unicode()) : '_');
    }
    return id.leftJustified(kLength, ' ');
}

bool DVDImageMake::writeIsoVolumeId(const QString &path, const QString &name, QString *error)
{
    constexpr qint64 kDescriptor = 16 * 2048;
    QFile image(path);
    if (!image.open(QIODevice::ReadWrite)) {
        *error = image.errorString();
        return false;
    }
    const QByteArray head = image.seek(kDescriptor) ? image.read(6) : QByteArray();
    if (head
        != QByteArray("\x01"
                      "CD001",
                      6)) {
        *error = QStringLiteral("%1 holds no ISO 9660 primary volume descriptor").arg(path);
        return false;
    }
    const QByteArray id = isoVolumeIdForName(name);
    if (!image.seek(kDescriptor + 40) || image.write(id) != id.size() || !image.flush()) {
        *error = image.errorString();
        return false;
    }
    return true;
}

qint64 DVDImageMake::fileSizeForItem(const QString &folder)
{
    return DVDFSMake::fileSizeForItem(folder);
}
