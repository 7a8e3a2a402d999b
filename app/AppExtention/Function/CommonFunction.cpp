#include "app/AppExtention/Function/CommonFunction.h"

#include <QCryptographicHash>
#include <QOperatingSystemVersion>
#include <QSysInfo>
#include <QVersionNumber>

QString CommonFunction::shaString(const QString &string)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(string.toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool CommonFunction::getSystemVersion(std::uint32_t *major,
                                      std::uint32_t *minor,
                                      std::uint32_t *bugFix)
{
    // The kernel release ("6.1.0-18-amd64") is the one version every Linux system has.
    const QVersionNumber version = QVersionNumber::fromString(QSysInfo::kernelVersion());
    if (version.segmentCount() < 3)
        return false;
    if (major)
        *major = std::uint32_t(version.majorVersion());
    if (minor)
        *minor = std::uint32_t(version.minorVersion());
    if (bugFix)
        *bugFix = std::uint32_t(version.microVersion());
    return true;
}

bool CommonFunction::OSIsSnowLeopard()
{
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::MacOS
           && QOperatingSystemVersion::current().majorVersion() == 10
           && QOperatingSystemVersion::current().minorVersion() == 6;
}
