#pragma once

// The root of every persisted record (the disc model, the engine's CodingBase records): a QObject
// whose persisted properties are named by allCoderKeys. Archiving, unarchiving and copying walk
// that list through key-value access, so a subclass only lists its keys and declares them as
// Q_PROPERTYs. Records are held by std::shared_ptr; they never have a QObject parent.

#include "platform/Object.h"

#include <QObject>
#include <QStringList>

namespace platform {

class KeyedArchiver;
class KeyedUnarchiver;

class KeyedObject : public QObject
{
    Q_OBJECT
public:
    KeyedObject() = default;

    // The persisted keys, in archive order.
    virtual QStringList allCoderKeys() const { return {}; }

    // Encodes every key of allCoderKeys through encoderKey, in order.
    virtual void encodeWithCoder(KeyedArchiver &coder) const;
    // Sets every key of allCoderKeys through decoderKey, in order; absent keys keep their initial
    // value.
    virtual void initWithCoder(KeyedUnarchiver &coder);

    // The per-key steps of archiving, unarchiving and copying. A subclass overrides one to change
    // how a key is stored, and the walks above and copy() go through the override; subclasses that
    // override the walks themselves call these for the plain keys.
    // Encodes valueForKey under the key; a key with no readable property fails the archive.
    virtual void encoderKey(KeyedArchiver &coder, const QString &key) const;
    // Sets the key from the archive when it holds one.
    virtual void decoderKey(KeyedUnarchiver &coder, const QString &key);
    // Sets this record's value for key on another record (the value is shared, not copied).
    virtual void copyToKey(QObject *other, const QString &key) const;

    // A new, empty instance of this record's class, made through the class registry.
    std::shared_ptr<KeyedObject> newInstance() const;
    // A new instance of the same class with every key of allCoderKeys copied over by copyToKey.
    virtual std::shared_ptr<KeyedObject> copy() const;
};

} // namespace platform
