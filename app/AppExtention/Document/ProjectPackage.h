#pragma once

// The project package, a folder ending in ".dwproj": "project", the keyed archive of the disc
// model, the style records and the disc-wide settings; "temp", an empty folder; and under
// "resource/<resource name>/<file name>" a hard link to (or, across file systems, a copy of)
// every media file the project uses, so that the package can be moved and opened elsewhere.
//
// Saving is split so that the user may edit again while the files are written: takeSnapshot runs
// on the main thread and captures everything the package will hold (the archive bytes and the
// list of media files); writePackage then runs on any thread and touches only the snapshot and
// the file system. Reading builds new objects on any thread and touches nothing that is open; the
// caller swaps them in on the main thread.
//
// A package is never left half written: a new package is built beside its destination and
// renamed into place, an existing one gets its missing media first and its "project" last,
// replaced atomically, and every failure (a link and a copy both failing, a full disk) is
// reported, never taken for success.

#include "Platterkit/model/DVDLibrary.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The three objects a project consists of.
struct ProjectContents
{
    DVDLibraryRef dvd;
    TempEditDataList tempDataArray;
    TempDvdDataRef tempDvdData;
};

// One media file the package holds: where it is read from and where in the package it goes.
struct PackageMediaFile
{
    QString source;
    QString resourcePath;
};

// Everything a save writes, captured on the main thread.
struct ProjectSnapshot
{
    QByteArray archive;
    QList<PackageMediaFile> media;
};

// What a write did, for the log and the tests.
struct PackageWriteReport
{
    int linked = 0;
    int copied = 0;
    // Files already in the package, left as they were.
    int present = 0;
    // Media whose source is gone and which the package does not hold either; the clips stay
    // offline, as they already were.
    QStringList missing;
};

namespace ProjectPackage {

// "dwproj", the package's extension.
QString packageExtension();
// "project" and "temp", the package's fixed entries.
QString projectEntryName();
QString tempEntryName();

// The package path with the resource path ("/resource/...") appended.
QString pathForResourcePath(const QString &resourcePath, const QString &documentPath);

// The records whose item is on some page of dvd, in their order; the others lose their item.
TempEditDataList removeTempDataArrayNotUsed(const DVDLibrary &dvd, const TempEditDataList &records);

// Every media file of the project, in package order: each clip of each title, the music of every
// page, then of the template page, then the warning video. Duplicates are kept; the writer skips
// what is already there.
MediaDataList packageMedia(const ProjectContents &contents);

// Main thread. Prunes contents.tempDataArray (see removeTempDataArrayNotUsed), archives the
// project and lists its media, each read from its copy in currentPackage (the package the project
// was last read from or saved to) when that is readable, else from the clip's own path. Null with
// *error set when the project cannot be archived.
std::optional<ProjectSnapshot>
takeSnapshot(ProjectContents &contents, const QString &currentPackage, QString *error);

// Puts source at destination unless something is there already (an empty file there gives way
// to a source that is not empty): the destination's folders are
// made, then a hard link is tried, then a copy. False with *error set when neither worked; a
// missing source is no failure of its own here (see PackageWriteReport::missing).
enum class TransferResult { Present, Linked, Copied, SourceMissing, Failed };
TransferResult
saveDocumentResourceFile(const QString &source, const QString &destination, QString *error);

// Any thread. Writes the snapshot as the package at path. With Update, an existing package there
// (the document's own) is completed in place: missing media, "temp", then "project" atomically.
// Anything else at path (nothing, a plain file, and with Replace also a package the user chose to
// replace) is replaced by a package built beside it, once that is complete. False with *error set
// on any failure; then whatever was at path is as it was.
enum class WriteMode { Update, Replace };
bool writePackage(const ProjectSnapshot &snapshot,
                  const QString &path,
                  WriteMode mode,
                  PackageWriteReport *report,
                  QString *error);

// Any thread. Removes the hidden ".<name>.saving-*" and ".<name>.replaced-*" folders that saves
// of the package at path left when they were killed; only while a package is at path, since after
// a cut between the two renames of the fallback they hold the only copies. Writes and reads call
// it. Returns how many it removed.
int removeSaveLeftovers(const QString &path);

// Any thread. Reads the package at path into new objects: the archive (a dictionary, or a bare
// disc model of the older form), the records pruned and pushed onto their items, or rebuilt for
// every item when the package has none. Clips load from the package's copies first. Null with
// *error set when "project" is missing, damaged or holds no disc model.
std::optional<ProjectContents> readPackage(const QString &path, QString *error);

// A new project: PAL, 16:9, 4000 kbps, playing titles in sequence with looping menus, whose only
// page is the blank template page emptied of its titles. Any thread. Without a blank template page
// the project has one empty page of the template size.
ProjectContents newProject();

// Style records for every item of every page that shows a style: statics, buttons, text titles
// and frame titles (which also show their frame), appended to records.
void rebuildStyleRecords(const DVDLibrary &dvd, TempEditDataList &records);

} // namespace ProjectPackage
