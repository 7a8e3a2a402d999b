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
    // Prepares packing under the volume name; runs nothing yet. mkisofs takes the name as UTF-8
    // for every label: the UDF label (what players and file managers show) keeps it whole, and
    // the ISO 9660 volume id, whose character set is ASCII, is then rewritten as isoVolumeIdForName.
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

    // The name folded to the 32 bytes of an ISO 9660 volume id: letters lose their accents
    // ("Müller" gives "Muller"), any other character outside printable ASCII becomes "_", and the
    // rest is padded with spaces (or cut).
    static QByteArray isoVolumeIdForName(const QString &name);
    // Writes isoVolumeIdForName(name) into the primary volume descriptor of the image at path
    // (sector 16, bytes 40 to 71). False, with the reason in *error, when the image holds no
    // primary volume descriptor or cannot be written.
    static bool writeIsoVolumeId(const QString &path, const QString &name, QString *error);

private:
    std::atomic<qint64> m_totalSize{0};
    mutable QMutex m_lock;
    QString m_inputPath;
};
