#pragma once

// The folders a production run works in and how its results reach their destination. A run only
// ever removes what it made itself: its folders are made fresh (never an existing folder taken
// over, whoever made it), and a result never replaces anything at its destination. Any thread;
// every function touches the disk.

#include <QString>

namespace Discwright::WorkFolder {

// Makes a new, empty folder at preferredPath, or, when anything is there already, at the first free
// "<preferredPath>-1", "<preferredPath>-2", ... beside it (a name with an extension keeps it last:
// "work-1.dir"). Missing parent folders are made. Making the folder is what claims the name, so two
// runs never share one. Empty, with *error set, when no folder could be made.
QString makeFresh(const QString &preferredPath, QString *error = nullptr);
// makeFresh at preferredPath; with an empty one, at a new name "<name>...<extension>" under the
// temporary root (the folders of other runs there are theirs).
QString makeFreshOrTemporary(const QString &preferredPath,
                             const QString &name,
                             const QString &extension,
                             QString *error = nullptr);

// Moves the file or folder at from to to, with to's parent folder made when missing. Within one
// file system that is a rename; across file systems the item is copied beside to first and renamed
// into place, so that to never holds a partial result. Whatever is at to by then (the name was
// free when the run chose it, but runs are long) stays as it is: the move fails with "a file is
// already at <to>" and from is left where it was (platform::renameWithoutReplacing). False, with
// *error set, on failure.
bool moveIntoPlace(const QString &from, const QString &to, QString *error = nullptr);

// Removes the file or the folder with everything in it; true when nothing is left at path. A
// symbolic link is removed itself, never what it points at.
bool removeItem(const QString &path);

} // namespace Discwright::WorkFolder
