#pragma once

// Putting a finished result (a file or a whole folder, made beside its destination) at the name
// it was made for, without ever replacing what someone else put there in the meantime: the
// destination was free when the run chose it, but a long run leaves time for a person or another
// run to take the name, and their file must survive. Any thread; touches the disk.

#include <QString>

namespace platform {

enum class ResultPlacement {
    Placed,
    // Something (a file, a folder, a link, dangling or not) is at the destination; nothing moved.
    DestinationTaken,
    // The two names lie on different file systems; nothing moved (copy beside, then place that).
    OtherFileSystem,
    // Another failure (no such source, no permission, ...); nothing moved.
    Failed,
};

/**
 * Renames from to to unless anything is at to. The check and the rename are one step of the
 * system where the file system offers it (RENAME_NOREPLACE); elsewhere a file is hard-linked
 * (which fails the same way on a taken name) and a folder is renamed after a check, since a
 * folder's rename can at worst take the place of an empty folder. On anything but Placed, *error
 * (when given) says why ("a file is already at <to>", "cannot move <from> to <to>: <reason>").
 */
ResultPlacement
renameWithoutReplacing(const QString &from, const QString &to, QString *error = nullptr);

} // namespace platform
