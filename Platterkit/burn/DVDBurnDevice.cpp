#include "Platterkit/burn/DVDBurnDevice.h"

#include "Platterkit/burn/BurnLibrary.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString pseudoPrefix = QStringLiteral("stdio:");

QString pseudoPath(const QString &address)
{
    return address.mid(pseudoPrefix.size());
}

} // namespace

DVDBurnDevice::DVDBurnDevice(QString address,
                             QString vendor,
                             QString product,
                             bool writesDVD,
                             PseudoDriveOptions pseudoOptions)
    : m_address(std::move(address))
    , m_vendor(std::move(vendor))
    , m_product(std::move(product))
    , m_writesDVD(writesDVD)
    , m_pseudoOptions(pseudoOptions)
{}

QString DVDBurnDevice::displayName() const
{
    if (isPseudoDrive())
        return QFileInfo(pseudoPath(m_address)).fileName();
    const QString name = QStringLiteral("%1 %2").arg(m_vendor, m_product).trimmed();
    return name.isEmpty() ? m_address : name;
}

bool DVDBurnDevice::isPseudoDrive() const
{
    return m_address.startsWith(pseudoPrefix);
}

QString DVDBurnDevice::pseudoDriveFile() const
{
    return isPseudoDrive() ? pseudoPath(m_address) : QString();
}

bool DVDBurnDevice::isValid() const
{
    if (!isPseudoDrive())
        return QFileInfo::exists(m_address);
    const QString path = pseudoPath(m_address);
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    if (file.exists())
        return !file.isDir();
    return file.absoluteDir().exists();
}

QList<DVDBurnDeviceRef> DVDBurnDevice::connectedDevices()
{
    QList<DVDBurnDeviceRef> devices;
    for (const Platterkit::detail::ScannedDrive &drive : Platterkit::detail::scanDrives())
        devices.append(std::make_shared<DVDBurnDevice>(
            drive.address, drive.vendor, drive.product, drive.writesDVD));
    for (const QString &address : Platterkit::detail::pseudoDrives()) {
        if (DVDBurnDeviceRef device = pseudoDriveForAddress(address))
            devices.append(device);
    }
    return devices;
}

DVDBurnDeviceRef DVDBurnDevice::addPseudoDrive(const QString &filePath,
                                               const PseudoDriveOptions &options)
{
    const QString address = pseudoPrefix + QFileInfo(filePath).absoluteFilePath();
    Platterkit::detail::addPseudoDrive(address, {options.capacityBytes, options.writeOnce});
    return pseudoDriveForAddress(address);
}

void DVDBurnDevice::removePseudoDrive(const QString &filePath)
{
    Platterkit::detail::removePseudoDrive(pseudoPrefix + QFileInfo(filePath).absoluteFilePath());
}

DVDBurnDeviceRef DVDBurnDevice::pseudoDriveForAddress(const QString &address)
{
    if (!address.startsWith(pseudoPrefix))
        return nullptr;
    // An empty path is libburn's null drive, which holds no disc and writes nothing.
    const bool writes = !pseudoPath(address).isEmpty();
    const Platterkit::detail::PseudoDriveMedia media
        = Platterkit::detail::pseudoDriveMedia(address);
    return std::make_shared<DVDBurnDevice>(
        address,
        QStringLiteral("Discwright"),
        QStringLiteral("Image file"),
        writes,
        PseudoDriveOptions{media.capacityBytes, media.writeOnce});
}
