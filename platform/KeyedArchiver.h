#pragma once

// Writes an object graph as a keyed archive: a binary property list in the keyed-archiver layout
// ($archiver, $version, $top, $objects with $null first, UID references, $class dictionaries with
// $classname and $classes). Every object is written once; later references to it are UIDs, so
// shared objects and cycles come back as they were.
//
// Values a record may encode: invalid/null QVariant, bool, integers, enums, double, QString,
// QByteArray, QDateTime, QVariantList (and QStringList, object lists), QVariantMap (and
// QVariantHash), QRectF/QSizeF/QPointF (and their integer forms), QColor, QImage (stored as PNG),
// QFont, and objects (ObjectRef, or any registered typed shared pointer) that derive from
// KeyedObject.
//
// Two ways to use it: the static archivedData / archiveToFile for a graph with one root object
// (stored in $top under "root"), or an instance whose encodeObject calls made before any object is
// open go straight into $top, for files whose top level holds a record's keys:
//
//     platform::KeyedArchiver coder;
//     for (const QString &key : record.allCoderKeys())
//         record.encoderKey(coder, key);
//     QByteArray data = coder.encodedData(&error);
//
// One archiver, one thread.

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

    // Encodes a value under key in the object currently being encoded (the top level when no
    // object is open). A value the archive cannot store records an error (see lastError) and
    // leaves the archive without data.
    void encodeObject(const QVariant &value, const QString &key);

    // Marks the archive as failed, e.g. when a record cannot read one of its own keys. The first
    // error is the one reported.
    void failWithError(const QString &error);
    bool hasError() const;
    QString lastError() const;

    // Finishes the archive: its bytes, or empty with *error set when an error was recorded.
    // Further encodeObject calls after this are refused.
    QByteArray encodedData(QString *error = nullptr);

    // The archive of a graph whose root is value (usually an object). Empty with *error set when
    // the graph holds a value the archive cannot store.
    static QByteArray archivedData(const QVariant &root, QString *error = nullptr);
    // Writes the archive atomically: the file is replaced whole or not at all. The folder must
    // exist.
    static bool archiveToFile(const QVariant &root, const QString &path, QString *error = nullptr);
    // Writes already encoded archive bytes atomically, with the same guarantee.
    static bool
    writeDataToFile(const QByteArray &data, const QString &path, QString *error = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform
