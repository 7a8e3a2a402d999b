#pragma once

#include <QList>
#include <QString>
#include <memory>

class DVDBurnDevice;
using DVDBurnDeviceRef = std::shared_ptr<DVDBurnDevice>;

/**
 * One writer as the burner offers it to the user: a real optical drive found by scanning, or a
 * pseudo-drive, a file that takes the place of a disc (libburn's "stdio:" drives), which the
 * program registers. A device only describes the writer; the burn object (DVDBurnRecorder) is what
 * holds it. Devices are immutable and may be passed between threads.
 */
class DVDBurnDevice
{
public:
    DVDBurnDevice(QString address, QString vendor, QString product, bool writesDVD);

    // The drive's address for libburn: a device file such as "/dev/sr0", or "stdio:" and a path.
    QString address() const { return m_address; }
    QString vendor() const { return m_vendor; }
    QString product() const { return m_product; }
    // The name to show the user.
    QString displayName() const;
    bool writesDVD() const { return m_writesDVD; }
    bool isPseudoDrive() const;
    // Whether the writer is still there: its device file exists, or, for a pseudo-drive, its file
    // or at least the folder it would be made in. A valid device may still be busy elsewhere.
    bool isValid() const;

    // Every connected writer in the scan's order, followed by the registered pseudo-drives.
    static QList<DVDBurnDeviceRef> connectedDevices();

    // Registers a file as a pseudo-drive and returns its device. Burning to it writes the image
    // into that file, which is made when the burn starts. Registering the same file twice gives one
    // drive.
    static DVDBurnDeviceRef addPseudoDrive(const QString &filePath);
    static void removePseudoDrive(const QString &filePath);
    // The device at a pseudo-drive address ("stdio:" and a path); null for any other address.
    static DVDBurnDeviceRef pseudoDriveForAddress(const QString &address);

private:
    QString m_address;
    QString m_vendor;
    QString m_product;
    bool m_writesDVD = false;
};
