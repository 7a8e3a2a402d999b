#pragma once

// What the burner keeps once per process around libburn: starting the library on first use and
// shutting it down at exit, its message queue, the scan for real drives, the pseudo-drives (files
// that stand in for a writer) that the program registers, and which drives this process holds.
// Everything here may be called from any thread.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace Platterkit::detail {

// A drive found by scanning, described before anyone holds it.
struct ScannedDrive
{
    QString address;
    QString vendor;
    QString product;
    bool writesDVD = false;
};

// Starts libburn once; it is shut down when the process exits, after every drive has been let go.
// Returns false when the library cannot start (then no drive can be used).
bool ensureBurnLibrary();

// Takes libburn's queued messages and returns those of severity SORRY and above, oldest first,
// joined by "; ". The queue is the process's: whoever drains it also counts the write threads that
// ended (see writeThreadsEnded).
QString takeBurnMessages();

// How many of libburn's write threads have ended in this process so far. libburn reports a drive
// idle as soon as a cancelled write stops, but its thread goes on for about half a second, and
// until it ends the drive takes no new write and must not be let go.
int writeThreadsEnded();

// The real drives, in libburn's order. libburn cannot scan while this process holds a drive; the
// previous scan's answer stands in then.
QList<ScannedDrive> scanDrives();

// Device files that look like optical drives right now, without opening them; cheap enough to poll.
QStringList driveDeviceFiles();

// How a registered pseudo-drive presents its disc (see DVDBurnDevice::PseudoDriveOptions).
struct PseudoDriveMedia
{
    qint64 capacityBytes = 0;
    bool writeOnce = false;
};

// Pseudo-drive addresses ("stdio:" and a path) that the program registered, in registration order.
// Registering an address again keeps its place and replaces its media.
void addPseudoDrive(const QString &address, const PseudoDriveMedia &media = {});
void removePseudoDrive(const QString &address);
QStringList pseudoDrives();
// The media of a registered address; the defaults for any other.
PseudoDriveMedia pseudoDriveMedia(const QString &address);

// Drives held by burn objects of this process, with the media state each last saw (libburn's disc
// status code). A scan waits for none of them: it is refused while any is held.
void noteDriveHeld(const QString &address, int mediaStatus);
void noteDriveReleased(const QString &address);
QMap<QString, int> heldDrives();

} // namespace Platterkit::detail
