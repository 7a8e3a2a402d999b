#pragma once

// Writes an XML property list from a QVariant tree of maps, lists, strings, numbers and booleans.

#include <QString>
#include <QVariant>

namespace templategen {

// False, with *error set, when the file cannot be written or the tree holds another kind of value.
bool writePlist(const QVariant &root, const QString &path, QString *error);

} // namespace templategen
