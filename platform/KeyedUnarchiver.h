#pragma once

// Reads a keyed archive written by KeyedArchiver. Objects are made through the ClassRegistry and
// filled by their initWithCoder; every reference to one archived object yields the same instance.
// A damaged, truncated or foreign file gives an error, never a crash. Decoding takes time in
// proportion to the archive's size.
//
// Two ways to use it: the static unarchive / unarchiveFile for an archive with a root object, or
// an instance opened on data whose top level holds a record's keys:
//
//     platform::KeyedUnarchiver coder;
//     if (!coder.openData(data, &error))
//         return; // not an archive: nothing set
//     for (const QString &key : record.allCoderKeys()) {
//         record.decoderKey(coder, key);
//         if (coder.failed())
//             break; // coder.lastError() says why
//     }
//
// One unarchiver, one thread.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace platform {

class KeyedUnarchiver
{
public:
    KeyedUnarchiver();
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver &) = delete;
    KeyedUnarchiver &operator=(const KeyedUnarchiver &) = delete;

    // Opens the archive for top-level decoding. False with *error set when the data is not a
    // readable archive; then every key reads as absent.
    bool openData(const QByteArray &data, QString *error = nullptr);

    // About the object currently being decoded (the top level when none is).
    bool containsValueForKey(const QString &key) const;
    // The keys the current object holds, in no particular order.
    QStringList allKeys() const;
    // The class name the archive gives the current object; empty at the top level.
    QString currentClassName() const;

    // The decoded value, in the forms KeyedArchiver accepts (objects as ObjectRef, lists as
    // QVariantList, dictionaries as QVariantMap, integers as qint64). Invalid when the key is
    // absent, holds the null reference, or cannot be decoded (then failed() is true).
    QVariant decodeObjectForKey(const QString &key);
    // Conveniences over decodeObjectForKey for scalar keys; 0 / false when absent.
    bool decodeBoolForKey(const QString &key);
    qint64 decodeIntegerForKey(const QString &key);
    double decodeDoubleForKey(const QString &key);

    // Marks the decoding in progress as failed, e.g. when a record cannot take a decoded value.
    void failWithError(const QString &error);
    // True once the decoding of the current top-level key met an error: values decoded after it
    // come back invalid. A new top-level decodeObjectForKey starts afresh.
    bool failed() const;
    // The most recent error, kept after failed() is cleared.
    QString lastError() const;

    // What the reader tells the records it makes (their initWithCoder reads it), instead of
    // anything they would look up for themselves; empty unless set.
    QVariantMap userInfo() const;
    void setUserInfo(const QVariantMap &info);

    // The root value of an archive; invalid with *error set when the data is not a readable
    // archive, its root is $null, any part of the graph cannot be decoded, or its records hold
    // each other strongly in a cycle (which would never be freed; weak back links are fine).
    static QVariant unarchive(const QByteArray &data, QString *error = nullptr);
    // The same, with userInfo for the records.
    static QVariant
    unarchive(const QByteArray &data, const QVariantMap &userInfo, QString *error = nullptr);
    static QVariant unarchiveFile(const QString &path, QString *error = nullptr);

    // The bytes of the file at path, read only once its size and its binary property-list header
    // say it can be an archive, so that a stray large file is never read whole. False with *error
    // set ("cannot read <path>: <reason>") otherwise.
    static bool readArchiveFile(const QString &path, QByteArray *data, QString *error = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform
