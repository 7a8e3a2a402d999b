#include "platform/Object.h"

#include <QMetaMethod>
#include <QReadWriteLock>
#include <QSet>

namespace platform {
namespace {

struct ConversionTable
{
    QReadWriteLock lock;
    QSet<int> singles;
    QSet<int> lists;
};

ConversionTable &table()
{
    static ConversionTable t;
    return t;
}

} // namespace

bool respondsTo(const QObject *object, const char *methodName)
{
    if (!object || !methodName)
        return false;
    const QMetaObject *meta = object->metaObject();
    const QByteArray wanted(methodName);
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal && method.name() == wanted)
            return true;
    }
    return false;
}

void registerObjectConversions(QMetaType single,
                               QMetaType list,
                               ObjectRef (*toObject)(const void *),
                               bool (*fromObject)(const ObjectRef &, void *),
                               QVariantList (*toList)(const void *),
                               bool (*fromList)(const QVariantList &, void *))
{
    {
        QWriteLocker locker(&table().lock);
        if (table().singles.contains(single.id()))
            return;
        table().singles.insert(single.id());
        table().lists.insert(list.id());
    }
    const QMetaType objectType = QMetaType::fromType<ObjectRef>();
    const QMetaType listType = QMetaType::fromType<QVariantList>();
    if (single != objectType) {
        QMetaType::registerConverterFunction(
            [toObject](const void *from, void *to) {
                *static_cast<ObjectRef *>(to) = toObject(from);
                return true;
            },
            single,
            objectType);
        QMetaType::registerConverterFunction(
            [fromObject](const void *from, void *to) {
                return fromObject(*static_cast<const ObjectRef *>(from), to);
            },
            objectType,
            single);
    }
    QMetaType::registerConverterFunction(
        [toList](const void *from, void *to) {
            *static_cast<QVariantList *>(to) = toList(from);
            return true;
        },
        list,
        listType);
    QMetaType::registerConverterFunction(
        [fromList](const void *from, void *to) {
            return fromList(*static_cast<const QVariantList *>(from), to);
        },
        listType,
        list);
}

namespace {
struct RegisterQObject
{
    RegisterQObject() { registerObjectType<QObject>(); }
} registerQObject;
} // namespace

bool isObjectVariant(const QVariant &value)
{
    QReadLocker locker(&table().lock);
    return table().singles.contains(value.metaType().id());
}

bool isObjectListVariant(const QVariant &value)
{
    QReadLocker locker(&table().lock);
    return table().lists.contains(value.metaType().id());
}

ObjectRef objectFromVariant(const QVariant &value)
{
    if (!isObjectVariant(value))
        return nullptr;
    if (value.metaType() == QMetaType::fromType<ObjectRef>())
        return value.value<ObjectRef>();
    QVariant copy = value;
    if (!copy.convert(QMetaType::fromType<ObjectRef>()))
        return nullptr;
    return copy.value<ObjectRef>();
}

qsizetype indexOfObject(const ObjectList &list, const ObjectRef &object)
{
    if (!object)
        return -1;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].get() == object.get())
            return i;
    }
    return -1;
}

} // namespace platform
