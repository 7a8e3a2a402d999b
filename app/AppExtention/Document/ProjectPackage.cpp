#include "app/AppExtention/Document/ProjectPackage.h"

#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/Document/DocumentLog.h"
#include "app/AppExtention/Document/NewProjectBuilder.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "platform/AtomicFile.h"
#include "platform/KeyValue.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace ProjectPackage {

namespace {

const QString kDvdKey = QStringLiteral("dvd");
const QString kRecordsKey = QStringLiteral("tempDataArray");
const QString kDvdDataKey = QStringLiteral("tempDvdData");

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(path.toStdString());
}

bool isReadableFile(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isReadable();
}

// An empty file is no media: it is what a copy cut short leaves.
bool isUsableMedia(const QString &path)
{
    return isReadableFile(path) && QFileInfo(path).size() > 0;
}

void appendClip(MediaDataList &list, const ObjectRef &object)
{
    if (auto clip = std::dynamic_pointer_cast<MediaData>(object))
        list.append(clip);
}

// A name beside path that nothing uses yet, for the package being built and the one replaced.
QString sideName(const QString &path, const QString &what)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') + what
           + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

bool removeTree(const QString &path)
{
    std::error_code code;
    std::filesystem::remove_all(fsPath(path), code);
    return !code;
}

// Swaps the entries at a and b in one step, so that a crash at any moment leaves a complete
// package at either name. ENOTSUP-like answers (EINVAL, ENOSYS) mean the file system cannot
// exchange; the caller then falls back to two renames.
int exchangeEntries(const QString &a, const QString &b)
{
    const QByteArray first = QFile::encodeName(a);
    const QByteArray second = QFile::encodeName(b);
    if (::renameat2(AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), RENAME_EXCHANGE)
        == 0)
        return 0;
    return errno;
}

// Media, "temp" and, last, "project" into the folder root.
bool fillPackage(const ProjectSnapshot &snapshot,
                 const QString &root,
                 PackageWriteReport *report,
                 QString *error)
{
    for (const auto &file : snapshot.media) {
        QString why;
        const QString destination = pathForResourcePath(file.resourcePath, root);
        switch (saveDocumentResourceFile(file.source, destination, &why)) {
        case TransferResult::Present:
            ++report->present;
            break;
        case TransferResult::Linked:
            ++report->linked;
            break;
        case TransferResult::Copied:
            ++report->copied;
            break;
        case TransferResult::SourceMissing:
            report->missing.append(file.source);
            qCWarning(Discwright::lcDocument) << "media file missing, not packaged:" << file.source;
            break;
        case TransferResult::Failed:
            if (error)
                *error = why;
            return false;
        }
    }
    const QString temp = root + QLatin1Char('/') + tempEntryName();
    if (!QDir().mkpath(temp)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(temp);
        return false;
    }
    return platform::writeFileAtomically(
        snapshot.archive, root + QLatin1Char('/') + projectEntryName(), error);
}

} // namespace

QString packageExtension()
{
    return QStringLiteral("dwproj");
}

QString projectEntryName()
{
    return QStringLiteral("project");
}

QString tempEntryName()
{
    return QStringLiteral("temp");
}

QString pathForResourcePath(const QString &resourcePath, const QString &documentPath)
{
    if (documentPath.isEmpty())
        return QString();
    QString root = documentPath;
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return resourcePath.startsWith(QLatin1Char('/')) ? root + resourcePath
                                                     : root + QLatin1Char('/') + resourcePath;
}

TempEditDataList removeTempDataArrayNotUsed(const DVDLibrary &dvd, const TempEditDataList &records)
{
    QSet<const DVDMenuItem *> onPages;
    for (const auto &page : dvd.menus()) {
        if (!page)
            continue;
        for (const auto &item : page->items())
            onPages.insert(item.get());
    }
    TempEditDataList kept;
    for (const auto &record : records) {
        if (!record)
            continue;
        if (record->currentMedia() && onPages.contains(record->currentMedia().get()))
            kept.append(record);
        else
            record->setCurrentMedia(nullptr);
    }
    return kept;
}

MediaDataList packageMedia(const ProjectContents &contents)
{
    MediaDataList media;
    if (contents.dvd) {
        for (const auto &object : contents.dvd->titles()) {
            if (auto title = std::dynamic_pointer_cast<DVDTitleData>(object))
                media.append(title->mediaArray());
        }
        for (const auto &page : contents.dvd->menus()) {
            if (page)
                appendClip(media, page->music());
        }
        if (contents.dvd->currentMenu())
            appendClip(media, contents.dvd->currentMenu()->music());
    }
    if (contents.tempDvdData)
        appendClip(media, contents.tempDvdData->warningMedia());
    return media;
}

std::optional<ProjectSnapshot>
takeSnapshot(ProjectContents &contents, const QString &currentPackage, QString *error)
{
    if (!contents.dvd || !contents.tempDvdData) {
        if (error)
            *error = QStringLiteral("the project has no disc model");
        return std::nullopt;
    }
    contents.tempDataArray = removeTempDataArrayNotUsed(*contents.dvd, contents.tempDataArray);
    QVariantList records;
    for (const auto &record : contents.tempDataArray)
        records.append(QVariant::fromValue(ObjectRef(record)));
    QVariantMap root;
    root.insert(kDvdKey, QVariant::fromValue(ObjectRef(contents.dvd)));
    root.insert(kRecordsKey, records);
    root.insert(kDvdDataKey, QVariant::fromValue(ObjectRef(contents.tempDvdData)));
    ProjectSnapshot snapshot;
    snapshot.archive = platform::KeyedArchiver::archivedData(root, error);
    if (snapshot.archive.isEmpty())
        return std::nullopt;
    for (const auto &clip : packageMedia(contents)) {
        if (clip->resourceName().isEmpty() || clip->path().isEmpty())
            continue;
        const QString resource = clip->resourcePath();
        const QString packaged = pathForResourcePath(resource, currentPackage);
        snapshot.media.append({isUsableMedia(packaged) ? packaged : clip->path(), resource});
    }
    return snapshot;
}

TransferResult
saveDocumentResourceFile(const QString &source, const QString &destination, QString *error)
{
    const QFileInfo present(destination);
    // An empty copy gives way to an intact source, so that the next open finds the media.
    if (present.isFile() && present.size() == 0 && isUsableMedia(source)) {
        std::error_code code;
        std::filesystem::remove(fsPath(destination), code);
    } else if (present.exists()) {
        return TransferResult::Present;
    }
    if (!isReadableFile(source))
        return TransferResult::SourceMissing;
    const QString folder = QFileInfo(destination).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(folder);
        return TransferResult::Failed;
    }
    std::error_code code;
    std::filesystem::create_hard_link(fsPath(source), fsPath(destination), code);
    if (!code)
        return TransferResult::Linked;
    qCDebug(Discwright::lcDocument)
        << "cannot link" << source << "- copying:" << QString::fromStdString(code.message());
    code.clear();
    std::filesystem::copy_file(fsPath(source), fsPath(destination), code);
    if (!code)
        return TransferResult::Copied;
    // A copy cut short by a full disk must not pass for the media at the next save.
    std::error_code ignored;
    std::filesystem::remove(fsPath(destination), ignored);
    if (error) {
        *error = QStringLiteral("cannot copy %1 to %2: %3")
                     .arg(source, destination, QString::fromStdString(code.message()));
    }
    return TransferResult::Failed;
}

bool writePackage(const ProjectSnapshot &snapshot,
                  const QString &path,
                  WriteMode mode,
                  PackageWriteReport *report,
                  QString *error)
{
    PackageWriteReport ignored;
    if (!report)
        report = &ignored;
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no package path");
        return false;
    }
    const QFileInfo target(path);
    removeSaveLeftovers(target.absoluteFilePath());
    if (mode == WriteMode::Update && target.isDir()
        && QFileInfo(path + QLatin1Char('/') + projectEntryName()).isFile())
        return fillPackage(snapshot, target.absoluteFilePath(), report, error);

    if (!QFileInfo(target.absolutePath()).isDir()) {
        if (error)
            *error = QStringLiteral("the folder %1 does not exist").arg(target.absolutePath());
        return false;
    }
    const QString staging = sideName(target.absoluteFilePath(), QStringLiteral("saving"));
    if (!QDir().mkdir(staging)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(staging);
        return false;
    }
    if (!fillPackage(snapshot, staging, report, error)) {
        removeTree(staging);
        return false;
    }
    if (target.exists() || target.isSymLink()) {
        const int refused = exchangeEntries(staging, target.absoluteFilePath());
        if (refused == 0) {
            // The staging name now holds the old package; a crash before it is gone leaves it
            // for the next save or open to remove.
            if (!removeTree(staging))
                qCWarning(Discwright::lcDocument)
                    << "cannot remove the replaced package" << staging;
            return true;
        }
        if (refused != EINVAL && refused != ENOSYS && refused != ENOTSUP) {
            if (error) {
                *error = QStringLiteral("cannot replace %1: %2")
                             .arg(path, QString::fromLocal8Bit(std::strerror(refused)));
            }
            removeTree(staging);
            return false;
        }
        qCDebug(Discwright::lcDocument)
            << "the file system cannot exchange" << path << "in one step: renaming twice";
    }
    QString displaced;
    if (target.exists() || target.isSymLink()) {
        displaced = sideName(target.absoluteFilePath(), QStringLiteral("replaced"));
        std::error_code code;
        std::filesystem::rename(fsPath(target.absoluteFilePath()), fsPath(displaced), code);
        if (code) {
            if (error) {
                *error = QStringLiteral("cannot replace %1: %2")
                             .arg(path, QString::fromStdString(code.message()));
            }
            removeTree(staging);
            return false;
        }
    }
    std::error_code code;
    std::filesystem::rename(fsPath(staging), fsPath(target.absoluteFilePath()), code);
    if (code) {
        if (error) {
            *error = QStringLiteral("cannot move the package to %1: %2")
                         .arg(path, QString::fromStdString(code.message()));
        }
        if (!displaced.isEmpty()) {
            std::error_code back;
            std::filesystem::rename(fsPath(displaced), fsPath(target.absoluteFilePath()), back);
        }
        removeTree(staging);
        return false;
    }
    if (!displaced.isEmpty() && !removeTree(displaced))
        qCWarning(Discwright::lcDocument) << "cannot remove the replaced package" << displaced;
    return true;
}

int removeSaveLeftovers(const QString &path)
{
    const QFileInfo package(path);
    // Only beside a package that is there: when the fallback's two renames were cut between them,
    // the hidden folders hold the only copies.
    if (!package.isDir())
        return 0;
    const QRegularExpression leftover(QStringLiteral("^\\.%1\\.(saving|replaced)-[0-9a-f]{12}$")
                                          .arg(QRegularExpression::escape(package.fileName())));
    int removed = 0;
    const QDir folder(package.absolutePath());
    for (const QString &name :
         folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (!leftover.match(name).hasMatch())
            continue;
        if (removeTree(folder.filePath(name)))
            ++removed;
        else
            qCWarning(Discwright::lcDocument)
                << "cannot remove the leftover of an interrupted save" << folder.filePath(name);
    }
    return removed;
}

std::optional<ProjectContents> readPackage(const QString &path, QString *error)
{
    removeSaveLeftovers(path);
    QByteArray data;
    if (!platform::KeyedUnarchiver::readArchiveFile(
            path + QLatin1Char('/') + projectEntryName(), &data, error)) {
        return std::nullopt;
    }
    // Clips find their copies in this package, not in the one still open.
    const QVariant root = platform::KeyedUnarchiver::unarchive(
        data, {{MediaData::packagePathInfoKey(), QFileInfo(path).absoluteFilePath()}}, error);
    if (!root.isValid())
        return std::nullopt;
    ProjectContents contents;
    QVariantMap dictionary;
    if (root.typeId() == QMetaType::QVariantMap)
        dictionary = root.toMap();
    else
        contents.dvd = std::dynamic_pointer_cast<DVDLibrary>(platform::objectFromVariant(root));
    if (dictionary.contains(kDvdKey)) {
        contents.dvd = std::dynamic_pointer_cast<DVDLibrary>(
            platform::objectFromVariant(dictionary[kDvdKey]));
    }
    if (!contents.dvd) {
        if (error)
            *error = QStringLiteral("%1 holds no project").arg(path);
        return std::nullopt;
    }
    if (dictionary.contains(kDvdDataKey)) {
        contents.tempDvdData = std::dynamic_pointer_cast<TempDvdData>(
            platform::objectFromVariant(dictionary[kDvdDataKey]));
    }
    if (!contents.tempDvdData)
        contents.tempDvdData = std::make_shared<TempDvdData>();
    if (dictionary.contains(kRecordsKey)) {
        TempEditDataList records;
        for (const QVariant &value : dictionary[kRecordsKey].toList()) {
            if (auto record
                = std::dynamic_pointer_cast<TempEditData>(platform::objectFromVariant(value)))
                records.append(record);
        }
        contents.tempDataArray = removeTempDataArrayNotUsed(*contents.dvd, records);
        for (const auto &record : contents.tempDataArray)
            record->updateAllEditToItem();
    }
    if (contents.tempDataArray.isEmpty())
        rebuildStyleRecords(*contents.dvd, contents.tempDataArray);
    return contents;
}

void rebuildStyleRecords(const DVDLibrary &dvd, TempEditDataList &records)
{
    for (const auto &page : dvd.menus()) {
        if (!page)
            continue;
        for (const auto &item : page->items()) {
            if (!item)
                continue;
            const bool frameTitle = DVDMenuItemExtention::isFrameTitle(*item);
            if (item->isStaticItem() || item->isButtonItem() || item->isTextItem() || frameTitle)
                MenuTitleItems::createTempEditDataWhenAddMenuItem(item, records);
            if (frameTitle)
                item->setUseFrame(true);
        }
    }
}

ProjectContents newProject()
{
    return NewProjectBuilder::build();
}

} // namespace ProjectPackage
