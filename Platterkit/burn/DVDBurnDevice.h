#pragma once

#include <QList>
#include <QString>
#include <memory>

class DVDBurnDevice;
using DVDBurnDeviceRef = std::shared_ptr<DVDBurnDevice>;

// How a pseudo-drive presents its disc. libburn takes any file as a blank disc as large as the
// free space of the file system that holds it; these make it behave like a real disc instead,
// which is what a production's space check and its change of discs between copies need.
struct DVDBurnPseudoDriveOptions
{
    // The disc's capacity in bytes (whole sectors of 2048 bytes count); 0 takes libburn's.
    qint64 capacityBytes = 0;
    // A disc that has been written (a non-empty file) is no longer blank; it is blank again
    // once the file is moved away, as when the user inserts the next disc.
    bool writeOnce = false;
};

/**
 * One writer as the burner offers it to the user: a real optical drive found by scanning, or a
 * pseudo-drive, a file that takes the place of a disc (libburn's "stdio:" drives), which the
 * program registers. A device only describes the writer; the burn object (DVDBurnRecorder) is what
 * holds it. Devices are immutable and may be passed between threads.
 */
class DVDBurnDevice
{
public:
    using PseudoDriveOptions = DVDBurnPseudoDriveOptions;

    DVDBurnDevice(QString address,
                  QString vendor,
                  QString product,
                  bool writesDVD,
                  PseudoDriveOptions pseudoOptions = {});

    // The drive's address for libburn: a device file such as "/dev/sr0", or "stdio:" and a path.
    QString address() const { return m_address; }
    QString vendor() const { return m_vendor; }
    QString product() const { return m_product; }
    // The name to show the user.
    QString displayName() const;
    bool writesDVD() const { return m_writesDVD; }
    bool isPseudoDrive() const;
    // The file a pseudo-drive writes; empty for a real drive.
    QString pseudoDriveFile() const;
    PseudoDriveOptions pseudoDriveOptions() const { return m_pseudoOptions; }
    // Whether the writer is still there: its device file exists, or, for a pseudo-drive, its file
    // or at least the folder it would be made in. A valid device may still be busy elsewhere.
    bool isValid() const;

    // Every connected writer in the scan's order, followed by the registered pseudo-drives.
    static QList<DVDBurnDeviceRef> connectedDevices();

    // Registers a file as a pseudo-drive and returns its device. Burning to it writes the image
    // into that file, which is made when the burn starts. Registering the same file twice gives one
    // drive, with the options of the last registration.
    static DVDBurnDeviceRef addPseudoDrive(const QString &filePath,
                                           const PseudoDriveOptions &options = {});
    static void removePseudoDrive(const QString &filePath);
    // The device at a pseudo-drive address ("stdio:" and a path); null for any other address.
    static DVDBurnDeviceRef pseudoDriveForAddress(const QString &address);

private:
    QString m_address;
    QString m_vendor;
    QString m_product;
    bool m_writesDVD = false;
    PseudoDriveOptions m_pseudoOptions;
};
