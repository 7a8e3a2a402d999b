#pragma once

// Key-value access by name on QObject records: the persisted keys of a record are its Q_PROPERTYs.
// Archiving, unarchiving and copying all go through these two functions, so that a key whose
// property has a custom setter (an alias) runs that setter.

#include "platform/Object.h"

#include <QString>
#include <QVariant>

namespace platform {

// The value of the property named key. Typed object pointers come back as ObjectRef and lists of
// them as QVariantList of ObjectRef, so that callers see one form. An unknown key gives an invalid
// QVariant and a warning.
QVariant valueForKey(const QObject *object, const QString &key);

// Writes the property named key through its setter. A null or invalid value on a scalar property
// (number, bool, geometry) sets its zero value; on an object or container property it clears it.
// Returns false, with a warning, when there is no writable property of that name or the value
// cannot be converted to the property's type.
bool setValueForKey(QObject *object, const QVariant &value, const QString &key);

// Copies one key's value from one record to another (values are shared, not copied).
bool copyValueForKey(const QObject *from, QObject *to, const QString &key);

} // namespace platform
