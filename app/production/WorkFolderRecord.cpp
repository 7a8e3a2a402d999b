#include "app/production/WorkFolderRecord.h"

#include "app/production/ProductionLog.h"
#include "app/production/WorkFolder.h"
#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <cerrno>
#include <signal.h>

namespace Discwright::WorkFolderRecord {
namespace {

const QString kSettingsKey = QStringLiteral("ProductionWorkFolders");

// A note is "<process id>:<absolute path>".
struct Note
{
    qint64 pid = 0;
    QString path;
};

QList<Note> readNotes()
{
    QList<Note> notes;
    for (const QString &entry : QSettings().value(kSettingsKey).toStringList()) {
        const qsizetype colon = entry.indexOf(QLatin1Char(':'));
        bool ok = false;
        const qint64 pid = colon > 0 ? entry.left(colon).toLongLong(&ok) : 0;
        if (ok && pid > 0 && colon + 1 < entry.size())
            notes.append({pid, entry.mid(colon + 1)});
    }
    return notes;
}

void writeNotes(const QList<Note> &notes)
{
    QStringList entries;
    for (const Note &note : notes)
        entries.append(QStringLiteral("%1:%2").arg(note.pid).arg(note.path));
    QSettings settings;
    if (entries.isEmpty())
        settings.remove(kSettingsKey);
    else
        settings.setValue(kSettingsKey, entries);
    settings.sync();
}

bool isAlive(qint64 pid)
{
    if (pid == QCoreApplication::applicationPid())
        return true;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString absolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isMarked(const QString &path)
{
    const QFileInfo folder(path);
    return folder.isDir() && !folder.isSymLink()
           && QFileInfo(QDir(path).filePath(markerName())).isFile();
}

bool removeMarked(const QString &path)
{
    if (!isMarked(path))
        return false;
    if (!WorkFolder::removeItem(path)) {
        qCWarning(lcProduction).noquote() << "cannot remove the work folder left over" << path;
        return false;
    }
    qCInfo(lcProduction).noquote() << "removed the work folder left over" << path;
    return true;
}

} // namespace

QString markerName()
{
    return QStringLiteral(".discwright-work");
}

bool record(const QString &path, QString *error)
{
    DW_ASSERT_MAIN_THREAD(return false);
    QFile marker(QDir(path).filePath(markerName()));
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || marker.write("A work folder of Discwright: it goes when its run ends.\n") < 0) {
        if (error)
            *error = QStringLiteral("cannot mark the work folder %1: %2")
                         .arg(path, marker.errorString());
        return false;
    }
    marker.close();
    QList<Note> notes = readNotes();
    notes.append({QCoreApplication::applicationPid(), absolute(path)});
    writeNotes(notes);
    return true;
}

void clear(const QString &path)
{
    DW_ASSERT_MAIN_THREAD(return );
    const QString wanted = absolute(path);
    const qint64 self = QCoreApplication::applicationPid();
    QList<Note> notes = readNotes();
    notes.removeIf([&](const Note &note) { return note.pid == self && note.path == wanted; });
    writeNotes(notes);
}

QStringList recorded()
{
    QStringList paths;
    for (const Note &note : readNotes())
        paths.append(note.path);
    return paths;
}

int removeRecordedLeftovers()
{
    DW_ASSERT_MAIN_THREAD(return 0);
    int removed = 0;
    QList<Note> kept;
    for (const Note &note : readNotes()) {
        if (isAlive(note.pid)) {
            kept.append(note);
            continue;
        }
        if (removeMarked(note.path))
            ++removed;
    }
    writeNotes(kept);
    return removed;
}

int removeMarkedLeftovers(const QString &preferredPath)
{
    DW_ASSERT_MAIN_THREAD(return 0);
    if (preferredPath.isEmpty())
        return 0;
    const QFileInfo preferred(absolute(preferredPath));
    // The names WorkFolder::makeFresh tries: "name", "name-N", or "base-N.suffix".
    const QString base = preferred.completeBaseName();
    const QString suffix = preferred.suffix();
    const QRegularExpression candidate(
        suffix.isEmpty() || base.isEmpty()
            ? QStringLiteral("^%1(-[0-9]+)?$").arg(QRegularExpression::escape(preferred.fileName()))
            : QStringLiteral("^%1(-[0-9]+)?\\.%2$")
                  .arg(QRegularExpression::escape(base), QRegularExpression::escape(suffix)));
    QSet<QString> live;
    for (const Note &note : readNotes())
        if (isAlive(note.pid))
            live.insert(note.path);
    const QDir parent = preferred.dir();
    int removed = 0;
    for (const QString &name : parent.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString path = absolute(parent.filePath(name));
        if (candidate.match(name).hasMatch() && !live.contains(path) && removeMarked(path))
            ++removed;
    }
    return removed;
}

} // namespace Discwright::WorkFolderRecord
