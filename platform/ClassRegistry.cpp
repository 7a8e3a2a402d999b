#include "platform/ClassRegistry.h"

namespace platform {

ClassRegistry &ClassRegistry::instance()
{
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::registerClass(const QString &className, Factory factory)
{
    QWriteLocker locker(&m_lock);
    m_factories.insert(className, std::move(factory));
}

void ClassRegistry::registerAlias(const QString &className, const QString &targetClassName)
{
    QWriteLocker locker(&m_lock);
    m_aliases.insert(className, targetClassName);
}

QString ClassRegistry::resolve(const QString &className) const
{
    QString name = className;
    // Bounded so that an alias loop cannot hang a decode.
    for (int hops = 0; hops < 8 && m_aliases.contains(name); ++hops)
        name = m_aliases.value(name);
    return name;
}

bool ClassRegistry::contains(const QString &className) const
{
    QReadLocker locker(&m_lock);
    return m_factories.contains(resolve(className));
}

ObjectRef ClassRegistry::create(const QString &className) const
{
    Factory factory;
    {
        QReadLocker locker(&m_lock);
        factory = m_factories.value(resolve(className));
    }
    return factory ? factory() : nullptr;
}

} // namespace platform
