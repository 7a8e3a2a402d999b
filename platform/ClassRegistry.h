#pragma once

// Class names to factories, for the keyed archive. An archive stores the class name of each
// object; decoding asks the registry for a new instance of that name. Aliases let an archive
// written under one class name decode as another class.

#include "platform/Object.h"

#include <QHash>
#include <QReadWriteLock>
#include <QString>
#include <functional>

namespace platform {

class ClassRegistry
{
public:
    using Factory = std::function<ObjectRef()>;

    static ClassRegistry &instance();

    void registerClass(const QString &className, Factory factory);
    // Decoding className makes an instance of targetClassName instead.
    void registerAlias(const QString &className, const QString &targetClassName);

    bool contains(const QString &className) const;
    // A new instance, or null for an unknown name.
    ObjectRef create(const QString &className) const;

    template <class T> void registerClass(const QString &className)
    {
        registerObjectType<T>();
        registerClass(className,
                      [] { return std::static_pointer_cast<QObject>(std::make_shared<T>()); });
    }

private:
    QString resolve(const QString &className) const;

    mutable QReadWriteLock m_lock;
    QHash<QString, Factory> m_factories;
    QHash<QString, QString> m_aliases;
};

} // namespace platform

// Registers a record class under its own name when the library that defines it is loaded.
#define DW_REGISTER_CLASS(ClassName)                                                               \
    namespace {                                                                                    \
    const bool registered_##ClassName = [] {                                                       \
        platform::ClassRegistry::instance().registerClass<ClassName>(QStringLiteral(#ClassName));  \
        return true;                                                                               \
    }();                                                                                           \
    }
