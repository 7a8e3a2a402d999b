#pragma once

#include "Platterkit/tools/ToolStep.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

/**
 * The production step that packs a DVD-Video folder into the image "dvd.iso" in the work folder
 * with mkisofs. mkisofs inherits the application's environment.
 *
 * Prepare with volumeWork() (and optionally setInputPath()), then start() once on the production
 * thread; progress() and cancel() may come from any thread meanwhile. A run that fails or is
 * cancelled removes "dvd.iso", so a partial image is never left looking like a result.
 */
class DVDImageMake : public ToolStep
{
public:
    // Prepares packing under the volume name (passed to mkisofs unchanged); runs nothing yet.
    void volumeWork(const QString &volume, const QString &workPath);
    // The mkisofs run itself (what start() runs once prepared).
    void volumeHelperWork(const QString &volume, const QString &workPath);
    // The folder to pack; empty (the default) packs "dvd.dvdmedia" of the work folder.
    void setInputPath(const QString &path);
    QString inputPath() const;
    // Bytes of the image so far over the bytes of the folder's VIDEO_TS files (at least 1).
    double progress() const override;

    qint64 totalSize() const { return m_totalSize.load(); }

    // A prepared mkisofs process: found like the other tools, but with the application's whole
    // environment.
    static std::shared_ptr<Platterkit::ToolProcess> taskCurrentArguments(
        const QString &toolName, const QString &currentPath, const QStringList &arguments);

    static qint64 fileSizeForItem(const QString &folder);

private:
    std::atomic<qint64> m_totalSize{0};
    mutable QMutex m_lock;
    QString m_inputPath;
};
