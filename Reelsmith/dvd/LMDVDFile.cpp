#include "Reelsmith/dvd/LMDVDFile.h"

#include <dvdread/dvd_reader.h>

namespace {

dvd_read_domain_t readDomain(int32_t domain)
{
    switch (domain) {
    case LMDVDFile::InfoFile:
        return DVD_READ_INFO_FILE;
    case LMDVDFile::BackupInfoFile:
        return DVD_READ_INFO_BACKUP_FILE;
    case LMDVDFile::MenuVobs:
        return DVD_READ_MENU_VOBS;
    default:
        return DVD_READ_TITLE_VOBS;
    }
}

} // namespace

LMDVDFile::LMDVDFile(std::shared_ptr<LMDVD> dvd,
                     int32_t domain,
                     int32_t titleNum,
                     int32_t filePart,
                     int64_t fileSize,
                     int64_t offset)
    : m_dvd(std::move(dvd))
    , m_domain(domain)
    , m_titleNum(titleNum)
    , m_filePart(filePart)
    , m_fileSize(fileSize)
    , m_offset(offset)
{}

LMDVDFile::~LMDVDFile()
{
    close();
}

bool LMDVDFile::open()
{
    if (m_file)
        return true;
    if (!m_dvd || !m_dvd->dvd_reader() || m_domain < InfoFile || m_domain > TitleVobs)
        return false;
    std::lock_guard guard(m_dvd->ioLock());
    m_file = DVDOpenFile(m_dvd->dvd_reader(), m_titleNum, readDomain(m_domain));
    return m_file != nullptr;
}

void LMDVDFile::close()
{
    if (!m_file)
        return;
    std::lock_guard guard(m_dvd->ioLock());
    DVDCloseFile(m_file);
    m_file = nullptr;
}

int64_t LMDVDFile::read(uint8_t *buffer, int64_t offset, int64_t size)
{
    if (!open() || offset < 0 || size < 0)
        return -1;
    const int64_t position = m_offset + offset;
    std::lock_guard guard(m_dvd->ioLock());
    if (m_domain == InfoFile || m_domain == BackupInfoFile) {
        if (DVDFileSeek(m_file, int32_t(position)) != int32_t(position))
            return -1;
        const ssize_t got = DVDReadBytes(m_file, buffer, size_t(size));
        return got < 0 ? -1 : int64_t(got);
    }
    const int64_t sectors = size / LMDVD::kSectorSize;
    if (sectors == 0)
        return 0;
    const ssize_t got
        = DVDReadBlocks(m_file, int(position / LMDVD::kSectorSize), size_t(sectors), buffer);
    return got < 0 ? -1 : int64_t(got) * LMDVD::kSectorSize;
}

QString LMDVDFile::filename() const
{
    QString name;
    if (m_titleNum == 0) {
        switch (m_domain) {
        case InfoFile:
            name = QStringLiteral("VIDEO_TS.IFO");
            break;
        case BackupInfoFile:
            name = QStringLiteral("VIDEO_TS.BUP");
            break;
        case MenuVobs:
            name = QStringLiteral("VIDEO_TS.VOB");
            break;
        default:
            break;
        }
    } else {
        const QString number = QStringLiteral("%1").arg(m_titleNum, 2, 10, QLatin1Char('0'));
        switch (m_domain) {
        case InfoFile:
            name = QStringLiteral("VTS_%1_%2.IFO").arg(number).arg(m_filePart);
            break;
        case BackupInfoFile:
            name = QStringLiteral("VTS_%1_%2.BUP").arg(number).arg(m_filePart);
            break;
        case MenuVobs:
            name = QStringLiteral("VTS_%1_%2.VOB").arg(number).arg(m_filePart);
            break;
        case TitleVobs:
            name = QStringLiteral("VTS_%1_%2.VOB").arg(number).arg(m_filePart + 1);
            break;
        default:
            break;
        }
    }
    return QStringLiteral("VIDEO_TS/") + name;
}

QString LMDVDFile::description() const
{
    return QString::asprintf("%p %s %lld %lld",
                             static_cast<const void *>(this),
                             filename().toUtf8().constData(),
                             static_cast<long long>(m_fileSize),
                             static_cast<long long>(m_offset));
}
