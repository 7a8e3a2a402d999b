#include "app/AppExtention/Function/FileManagerExtention.h"

#include "app/AppExtention/Function/AppLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxPathBytes = 2047;

bool existsNoFollow(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// A folder name or extension that stays inside its parent: no separators, not "." or "..".
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".")
           && name != QLatin1String("..") && !name.contains(QChar(0));
}

// Makes folder (mode 0700) when missing and checks that it is a real folder of this user that
// only this user can enter, tightening the mode of one we made earlier. False, logged, otherwise:
// a root that someone else planted would let them read or swap our intermediate files.
bool ensurePrivateFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("cannot create %1: %2")
                   .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info;
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("%1 is not a folder; no temporary file is made there").arg(folder);
        return false;
    }
    if (info.st_uid != ::getuid()) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("%1 belongs to another user; no temporary file is made there")
                   .arg(folder);
        return false;
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("cannot make %1 private: %2")
                   .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

// Deletes the folder at path with its contents. Whatever else stands there (a link above all,
// which could point at the user's own files from a shared temporary folder) is unlinked, never
// followed.
void removeFolderNoFollow(const QString &path)
{
    struct stat info;
    const QByteArray bytes = QFile::encodeName(path);
    if (::lstat(bytes.constData(), &info) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        if (::unlink(bytes.constData()) != 0)
            qCWarning(Discwright::lcFiles).noquote()
                << QStringLiteral("cannot remove %1: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (!QDir(path).removeRecursively())
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("cannot remove all of %1").arg(path);
}

// The standard folder / bundle identifier, created, with links resolved.
QString defaultFolder(QStandardPaths::StandardLocation location)
{
    const QString path = QDir(QStandardPaths::writableLocation(location))
                             .filePath(FileManagerExtention::bundleIdentifier());
    FileManagerExtention::createDirectoryAtPathIfCan(path);
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

} // namespace

QString FileManagerExtention::bundleIdentifier()
{
    return QStringLiteral("org.discwright.Discwright");
}

bool FileManagerExtention::isDirectoryAtPath(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool FileManagerExtention::isSymbolicLinkFileAtPath(const QString &path)
{
    struct stat info;
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0
           && S_ISLNK(info.st_mode);
}

void FileManagerExtention::createDirectoryAtPathIfCan(const QString &path)
{
    if (path.isEmpty() || existsNoFollow(path))
        return;
    if (!QDir().mkpath(path))
        qCWarning(Discwright::lcFiles).noquote() << QStringLiteral("cannot create %1").arg(path);
}

QString FileManagerExtention::tempRootPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(bundleIdentifier());
}

QString FileManagerExtention::tempFileDirectory(const QString &name)
{
    return QDir(tempRootPath()).filePath(name);
}

QString FileManagerExtention::tempFilePath(const QString &name, const QString &extension)
{
    if (!isPlainName(name) || extension.contains(QLatin1Char('/'))
        || extension.contains(QChar(0))) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral(
                   "no temporary file for folder \"%1\" and extension \"%2\": not a plain name")
                   .arg(name, extension);
        return QString();
    }
    const QString folder = tempFileDirectory(name);
    if (!ensurePrivateFolder(tempRootPath()) || !ensurePrivateFolder(folder))
        return QString();

    const QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/XXXXXXXX.") + extension);
    if (pattern.size() > kMaxPathBytes) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("no temporary file in %1: the path would pass %2 bytes")
                   .arg(folder)
                   .arg(kMaxPathBytes);
        return QString();
    }
    char buffer[kMaxPathBytes + 1] = {};
    std::memcpy(buffer, pattern.constData(), size_t(pattern.size()));
    const int suffixLength = int(QFile::encodeName(extension).size()) + 1;
    const int fd = ::mkstemps(buffer, suffixLength);
    if (fd < 0) {
        qCWarning(Discwright::lcFiles).noquote()
            << QStringLiteral("cannot create a temporary file in %1: %2")
                   .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    }
    ::close(fd);
    return QFile::decodeName(buffer);
}

void FileManagerExtention::touchFile(const QString &path)
{
    if (path.isEmpty() || ::utimes(QFile::encodeName(path).constData(), nullptr) != 0)
        qCWarning(Discwright::lcFiles).noquote() << QStringLiteral("cannot touch %1").arg(path);
}

void FileManagerExtention::removeTempFiles()
{
    const QString root = tempRootPath();
    struct stat info;
    if (::lstat(QFile::encodeName(root).constData(), &info) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        removeFolderNoFollow(root);
        return;
    }
    const QString lock = instanceLockName();
    const QDir folder(root);
    for (const QString &name :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (name == lock || name.startsWith(lock + QLatin1Char('.')))
            continue;
        removeFolderNoFollow(folder.filePath(name));
    }
}

QString FileManagerExtention::instanceLockName()
{
    return QStringLiteral("instance.lock");
}

void FileManagerExtention::removeTempFile(const QString &name)
{
    if (!isPlainName(name))
        return;
    removeFolderNoFollow(tempFileDirectory(name));
}

void FileManagerExtention::prepareForCreateFilePath(const QString &path)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else if (existsNoFollow(path))
        QFile::remove(path);
    createDirectoryAtPathIfCan(info.absolutePath());
}

QString FileManagerExtention::defaultOutputPath()
{
    return defaultFolder(QStandardPaths::MoviesLocation);
}

QString FileManagerExtention::defaultOutputMusicPath()
{
    return defaultFolder(QStandardPaths::MusicLocation);
}

QString FileManagerExtention::defaultOutputScreenshotPath()
{
    return defaultFolder(QStandardPaths::PicturesLocation);
}

QString FileManagerExtention::defaultRecordPath()
{
    return QDir(defaultOutputPath()).filePath(QStringLiteral("RecordWavePath.mov"));
}

QString FileManagerExtention::projectPath()
{
    const QString path = QDir(defaultSaveDocumentPath()).filePath(QStringLiteral("project"));
    createDirectoryAtPathIfCan(path);
    return path;
}

QString FileManagerExtention::libraryPath()
{
    const QString path = QDir(defaultSaveDocumentPath()).filePath(QStringLiteral("library"));
    createDirectoryAtPathIfCan(path);
    return path;
}

QString FileManagerExtention::applicationSupportPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(bundleIdentifier());
}

QString FileManagerExtention::fullPathWithNumberIncreaseIfExist(const QString &path)
{
    const QFileInfo info(path);
    QString extension = info.suffix();
    QString base = info.completeBaseName();
    if (extension.isEmpty()) {
        extension = QStringLiteral("mov");
        base = info.fileName();
    }
    // The folder part exactly as given, so a relative path stays relative and unchanged.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QString() : path.left(slash + 1);
    const QString first = folder + base + QLatin1Char('.') + extension;
    if (!existsNoFollow(first))
        return first;
    for (qint64 n = 1;; ++n) {
        const QString candidate
            = folder + QStringLiteral("%1%2.%3").arg(base).arg(n).arg(extension);
        if (!existsNoFollow(candidate))
            return candidate;
    }
}
