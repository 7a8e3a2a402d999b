#pragma once

// The record of the work folders production runs have under way, so that a run killed before its
// end (a crash, SIGKILL, a power cut) does not leave its tens of megabytes in the person's output
// folder for ever. Before a run works in a folder it puts the program's marker file in it and
// notes the folder in the settings; at its end the note goes. The next start removes every noted
// folder whose run is gone, and a later run into the same output folder removes a marked
// leftover there. Only folders that carry the marker are ever removed: a folder of the person's
// own of the same name is never touched.
//
// Main thread (the settings are the application's).

#include <QString>
#include <QStringList>

namespace Discwright::WorkFolderRecord {

// The marker file in a work folder: ".discwright-work".
QString markerName();

// Puts the marker in the folder at path and notes it for this process. False, with *error set,
// when the marker cannot be written (the folder is then not noted).
bool record(const QString &path, QString *error = nullptr);

// Drops the note of path; call it at the end of the run, once the folder was removed.
void clear(const QString &path);

// The folders noted now, by any process.
QStringList recorded();

// At start-up: removes every noted folder that carries the marker and whose run's process is no
// longer alive, and drops their notes. Returns how many folders it removed.
int removeRecordedLeftovers();

// Before a run whose work folder is made at preferredPath (or at the first free
// "<preferredPath>-1", ... beside it): removes those of these names that carry the marker and are
// not noted by a live run. Returns how many it removed.
int removeMarkedLeftovers(const QString &preferredPath);

} // namespace Discwright::WorkFolderRecord
