#include "platform/KeyedObject.h"

#include "platform/Assert.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyValue.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QMetaProperty>

namespace platform {

void KeyedObject::encodeWithCoder(KeyedArchiver &coder) const
{
    for (const QString &key : allCoderKeys())
        encoderKey(coder, key);
}

void KeyedObject::initWithCoder(KeyedUnarchiver &coder)
{
    for (const QString &key : allCoderKeys())
        decoderKey(coder, key);
}

void KeyedObject::encoderKey(KeyedArchiver &coder, const QString &key) const
{
    // A key with no readable property is a fault in the record's key list; archiving it as null
    // would lose the value silently, so the archive fails instead.
    const int index = metaObject()->indexOfProperty(key.toUtf8().constData());
    if (index < 0 || !metaObject()->property(index).isReadable()) {
        coder.failWithError(QStringLiteral("%1 has no readable key \"%2\"")
                                .arg(QString::fromLatin1(metaObject()->className()), key));
        return;
    }
    coder.encodeObject(valueForKey(this, key), key);
}

void KeyedObject::decoderKey(KeyedUnarchiver &coder, const QString &key)
{
    if (!coder.containsValueForKey(key))
        return;
    const QVariant value = coder.decodeObjectForKey(key);
    if (coder.failed())
        return;
    if (!setValueForKey(this, value, key))
        coder.failWithError(
            QStringLiteral("%1 cannot take the archived %2 for key \"%3\"")
                .arg(QString::fromLatin1(metaObject()->className()),
                     QString::fromLatin1(value.metaType().isValid() ? value.metaType().name()
                                                                    : "null"),
                     key));
}

void KeyedObject::copyToKey(QObject *other, const QString &key) const
{
    copyValueForKey(this, other, key);
}

std::shared_ptr<KeyedObject> KeyedObject::newInstance() const
{
    auto made = std::dynamic_pointer_cast<KeyedObject>(
        ClassRegistry::instance().create(QString::fromLatin1(metaObject()->className())));
    DW_ASSERT(made, return nullptr);
    return made;
}

std::shared_ptr<KeyedObject> KeyedObject::copy() const
{
    auto made = newInstance();
    if (!made)
        return nullptr;
    for (const QString &key : allCoderKeys())
        copyToKey(made.get(), key);
    return made;
}

} // namespace platform
