#include "platform/KeyValue.h"

#include "platform/Log.h"

#include <QMetaProperty>

namespace platform {
namespace {

QMetaProperty findProperty(const QObject *object, const QString &key)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(key.toUtf8().constData());
    return index < 0 ? QMetaProperty() : meta->property(index);
}

} // namespace

QVariant valueForKey(const QObject *object, const QString &key)
{
    if (!object)
        return {};
    const QMetaProperty property = findProperty(object, key);
    if (!property.isValid() || !property.isReadable()) {
        qCWarning(lcArchive) << "no readable key" << key << "on"
                             << object->metaObject()->className();
        return {};
    }
    QVariant value = property.read(object);
    if (isObjectVariant(value) && value.metaType() != QMetaType::fromType<ObjectRef>())
        return QVariant::fromValue(objectFromVariant(value));
    if (isObjectListVariant(value))
        value.convert(QMetaType::fromType<QVariantList>());
    return value;
}

bool setValueForKey(QObject *object, const QVariant &value, const QString &key)
{
    if (!object)
        return false;
    const QMetaProperty property = findProperty(object, key);
    if (!property.isValid() || !property.isWritable()) {
        qCWarning(lcArchive) << "no writable key" << key << "on"
                             << object->metaObject()->className();
        return false;
    }
    const QMetaType type = property.metaType();
    QVariant converted = value;
    if (!value.isValid() || value.isNull()) {
        // A nil for a scalar sets zero; for everything else the default-constructed value is the
        // empty or null form.
        converted = QVariant(type);
    } else if (value.metaType() != type && type.id() != QMetaType::QVariant) {
        if (!converted.convert(type)) {
            qCWarning(lcArchive) << "cannot convert" << value.metaType().name() << "to"
                                 << type.name() << "for key" << key << "on"
                                 << object->metaObject()->className();
            return false;
        }
    }
    return property.write(object, converted);
}

bool copyValueForKey(const QObject *from, QObject *to, const QString &key)
{
    return setValueForKey(to, valueForKey(from, key), key);
}

} // namespace platform
