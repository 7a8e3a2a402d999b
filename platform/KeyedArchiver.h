#pragma once

// Writes an object graph as a keyed archive: a binary property list in the keyed-archiver layout
// ($archiver, $version, $top, $objects with $null first, UID references, $class dictionaries with
// $classname and $classes). Every object is written once; later references to it are UIDs, so
// shared objects and cycles come back as they were.
//
// Values a record may encode: invalid/null QVariant, bool, integers, double, QString, QByteArray,
// QDateTime, QVariantList, QVariantMap, QRectF/QSizeF/QPointF, QColor, QImage (stored as PNG), QFont,
// and objects (ObjectRef, or any registered typed shared pointer) that derive from KeyedObject.

#include <QString>
#include <QVariant>
#include <memory>

namespace platform {

class KeyedArchiver
{
public:
    KeyedArchiver();
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver &) = delete;
    KeyedArchiver &operator=(const KeyedArchiver &) = delete;

    // Encodes a value under key in the object currently being encoded.
    void encodeObject(const QVariant &value, const QString &key);

    // The archive of a graph whose root is value (usually an object). Empty with *error set when
    // the graph holds a value the archive cannot store.
    static QByteArray archivedData(const QVariant &root, QString *error = nullptr);
    // Writes the archive atomically: the file is replaced whole or not at all.
    static bool archiveToFile(const QVariant &root, const QString &path, QString *error = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform
