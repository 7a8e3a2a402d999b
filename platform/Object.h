#pragma once

// The object model shared by the engines: reference-counted QObject records, protocols as abstract
// classes, and the two questions the disc model keeps asking of an object it does not own: does it
// declare a protocol, and does it answer a message.

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QVariant>
#include <memory>

using ObjectRef = std::shared_ptr<QObject>;
using WeakObjectRef = std::weak_ptr<QObject>;
using ObjectList = QList<ObjectRef>;

Q_DECLARE_METATYPE(ObjectRef)
Q_DECLARE_METATYPE(ObjectList)

namespace platform {

// Declared conformance: the object's class derives from the protocol class. An object that merely
// has a method of the same name does not conform.
template <class Protocol> Protocol *conformsTo(QObject *object)
{
    return dynamic_cast<Protocol *>(object);
}

template <class Protocol> Protocol *conformsTo(const ObjectRef &object)
{
    return dynamic_cast<Protocol *>(object.get());
}

template <class T> std::shared_ptr<T> objectCast(const ObjectRef &object)
{
    return std::dynamic_pointer_cast<T>(object);
}

// Where object itself stands in list (references compare by identity); -1 for null or absent.
qsizetype indexOfObject(const ObjectList &list, const ObjectRef &object);

// Answering a message: the object's class has an invokable method (Q_INVOKABLE or slot) of that
// name, declared or not by a protocol.
bool respondsTo(const QObject *object, const char *methodName);

// Registers the conversions between std::shared_ptr<T> / QList<std::shared_ptr<T>> and the generic
// ObjectRef / QVariantList forms, so that typed properties can be read and written by key and go
// through the keyed archive. Safe to call more than once.
void registerObjectConversions(QMetaType single,
                               QMetaType list,
                               ObjectRef (*toObject)(const void *),
                               bool (*fromObject)(const ObjectRef &, void *),
                               QVariantList (*toList)(const void *),
                               bool (*fromList)(const QVariantList &, void *));

template <class T> void registerObjectType()
{
    registerObjectConversions(
        QMetaType::fromType<std::shared_ptr<T>>(),
        QMetaType::fromType<QList<std::shared_ptr<T>>>(),
        [](const void *from) -> ObjectRef {
            return std::static_pointer_cast<QObject>(
                *static_cast<const std::shared_ptr<T> *>(from));
        },
        [](const ObjectRef &object, void *to) -> bool {
            auto typed = std::dynamic_pointer_cast<T>(object);
            if (object && !typed)
                return false;
            *static_cast<std::shared_ptr<T> *>(to) = typed;
            return true;
        },
        [](const void *from) -> QVariantList {
            QVariantList out;
            for (const auto &item : *static_cast<const QList<std::shared_ptr<T>> *>(from))
                out.append(QVariant::fromValue(std::static_pointer_cast<QObject>(item)));
            return out;
        },
        [](const QVariantList &from, void *to) -> bool {
            QList<std::shared_ptr<T>> out;
            for (const QVariant &v : from) {
                auto typed = std::dynamic_pointer_cast<T>(v.value<ObjectRef>());
                if (!typed)
                    return false;
                out.append(typed);
            }
            *static_cast<QList<std::shared_ptr<T>> *>(to) = out;
            return true;
        });
}

// The object held by a variant, whatever typed shared pointer it was stored as; null otherwise.
ObjectRef objectFromVariant(const QVariant &value);

// True when the variant holds an object reference (possibly null) rather than a plain value.
bool isObjectVariant(const QVariant &value);

// True when the variant holds a list of object references of any registered element type.
bool isObjectListVariant(const QVariant &value);

} // namespace platform
