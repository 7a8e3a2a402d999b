#include "Platterkit/model/Messages.h"

#include "Platterkit/model/DVDTitleResource.h"
#include "Platterkit/model/ModelLog.h"

#include <QMetaMethod>
#include <QPainter>

namespace Platterkit {
namespace {

// True when object has an invokable method name(argTypes...) exactly; respondsTo only checks the name,
// and invokeMethod with mismatching arguments would fail with a warning instead of a clear answer.
bool answers(QObject *object, const char *name, const QByteArray &signature)
{
    if (!platform::respondsTo(object, name))
        return false;
    const QMetaObject *meta = object->metaObject();
    const QByteArray normalized = QMetaObject::normalizedSignature(name + ("(" + signature + ")"));
    const int index = meta->indexOfMethod(normalized.constData());
    if (index < 0) {
        qCWarning(lcModel) << meta->className() << "has" << name << "but not as" << normalized;
        return false;
    }
    return true;
}

const bool metaTypesRegistered = [] {
    qRegisterMetaType<QPainter *>("QPainter*");
    qRegisterMetaType<ObjectRef>("ObjectRef");
    return true;
}();

} // namespace

bool sendSetVideoSize(QObject *target, QSizeF size)
{
    if (!target)
        return false;
    if (auto *resource = platform::conformsTo<DVDTitleResource>(target)) {
        resource->setVideoSize(size);
        return true;
    }
    if (!answers(target, "setVideoSize", "QSizeF"))
        return false;
    return QMetaObject::invokeMethod(
        target, "setVideoSize", Qt::DirectConnection, Q_ARG(QSizeF, size));
}

bool sendItemFillImageAtTimeContext(QObject *target,
                                    QObject *item,
                                    qint64 timeUs,
                                    QPainter *context)
{
    if (!target)
        return false;
    if (auto *resource = platform::conformsTo<DVDTitleResource>(target)) {
        resource->itemFillImageAtTimeContext(item, timeUs, context);
        return true;
    }
    if (!answers(target, "itemFillImageAtTimeContext", "QObject*,qint64,QPainter*"))
        return false;
    return QMetaObject::invokeMethod(target,
                                     "itemFillImageAtTimeContext",
                                     Qt::DirectConnection,
                                     Q_ARG(QObject *, item),
                                     Q_ARG(qint64, timeUs),
                                     Q_ARG(QPainter *, context));
}

std::optional<QImage> sendValidStaticImage(QObject *target)
{
    if (!target || !answers(target, "validStaticImage", QByteArray()))
        return std::nullopt;
    QImage image;
    if (!QMetaObject::invokeMethod(
            target, "validStaticImage", Qt::DirectConnection, Q_RETURN_ARG(QImage, image)))
        return std::nullopt;
    return image;
}

bool sendSetJump(QObject *element, const ObjectRef &target)
{
    if (!element || !answers(element, "setJump", "ObjectRef"))
        return false;
    return QMetaObject::invokeMethod(
        element, "setJump", Qt::DirectConnection, Q_ARG(ObjectRef, target));
}

} // namespace Platterkit
