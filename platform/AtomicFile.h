#pragma once

// Writing a whole file so that a reader never sees it half written: the new bytes go to a
// temporary file beside it, which replaces the old file only once everything is on disk. A full
// disk, a missing folder or a write error leaves the old file exactly as it was. Any thread.

#include <QByteArray>
#include <QString>

namespace platform {

// False with *error set ("cannot write <path>: <reason>") when the file could not be replaced.
// The folder must exist. Nothing is logged; the caller decides how loud a failure is.
bool writeFileAtomically(const QByteArray &data, const QString &path, QString *error = nullptr);

} // namespace platform
