#pragma once

// Reads a keyed archive written by KeyedArchiver. Objects are made through the ClassRegistry and
// filled by their initWithCoder; every reference to one archived object yields the same instance.
// A damaged, truncated or foreign file gives an error, never a crash.

#include <QString>
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

    // About the object currently being decoded.
    bool containsValueForKey(const QString &key) const;
    // The decoded value, in the forms KeyedArchiver accepts (objects as ObjectRef). Invalid when
    // the key is absent.
    QVariant decodeObjectForKey(const QString &key);

    // The root value of an archive; invalid with *error set when the data is not a readable archive.
    static QVariant unarchive(const QByteArray &data, QString *error = nullptr);
    static QVariant unarchiveFile(const QString &path, QString *error = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform
