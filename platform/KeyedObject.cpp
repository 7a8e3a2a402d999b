#include "platform/KeyedObject.h"

#include "platform/Assert.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyValue.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

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
    coder.encodeObject(valueForKey(this, key), key);
}

void KeyedObject::decoderKey(KeyedUnarchiver &coder, const QString &key)
{
    if (coder.containsValueForKey(key))
        setValueForKey(this, coder.decodeObjectForKey(key), key);
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
