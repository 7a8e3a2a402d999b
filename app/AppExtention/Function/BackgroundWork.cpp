#include "app/AppExtention/Function/BackgroundWork.h"

#include "app/AppExtention/Function/AppLog.h"
#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QMutex>
#include <thread>

namespace Discwright::BackgroundWork {
namespace {

void emitNotify(QObject *object, const QByteArray &key)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(key.constData());
    if (index < 0)
        return;
    const QMetaProperty property = meta->property(index);
    if (!property.hasNotifySignal())
        return;
    const QMetaMethod signal = property.notifySignal();
    if (signal.parameterCount() == 0) {
        signal.invoke(object, Qt::DirectConnection);
        return;
    }
    if (signal.parameterCount() == 1 && signal.parameterMetaType(0) == property.metaType()) {
        QVariant value = property.read(object);
        signal.invoke(object,
                      Qt::DirectConnection,
                      QGenericArgument(property.metaType().name(), value.constData()));
    }
}

struct ProfileTally
{
    QMutex lock;
    QElapsedTimer window;
    int count = 0;
    double totalSeconds = 0.0;
};

ProfileTally &tally()
{
    static ProfileTally instance;
    return instance;
}

} // namespace

void performInBackground(std::function<void()> work)
{
    if (!work)
        return;
    // Detached: the caller asked for fire-and-forget, and a thread object owned by the calling
    // thread would need that thread's event loop to be deleted.
    std::thread(std::move(work)).detach();
}

void flushObject(const ObjectRef &object, const QString &key)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!object || !app)
        return;
    const std::weak_ptr<QObject> weak = object;
    const QByteArray name = key.toUtf8();
    platform::postToMainThread(app, [weak, name] {
        if (const ObjectRef alive = weak.lock())
            emitNotify(alive.get(), name);
    });
}

void timeBlock(const std::function<void()> &block)
{
    QElapsedTimer timer;
    timer.start();
    if (block)
        block();
    qCInfo(lcKit).noquote() << QString::asprintf("%f", timer.nsecsElapsed() / 1e9);
}

void timeProfileBlock(const std::function<void()> &block)
{
    QElapsedTimer timer;
    timer.start();
    if (block)
        block();
    const double seconds = timer.nsecsElapsed() / 1e9;

    ProfileTally &t = tally();
    QMutexLocker locker(&t.lock);
    if (!t.window.isValid())
        t.window.start();
    t.count += 1;
    t.totalSeconds += seconds;
    const double windowSeconds = t.window.elapsed() / 1000.0;
    if (windowSeconds > 5.0) {
        qCInfo(lcKit).noquote() << QString::asprintf("%f %f %f %d",
                                                     t.totalSeconds / std::max(t.count, 1),
                                                     t.count / windowSeconds,
                                                     windowSeconds,
                                                     t.count);
        t.count = 0;
        t.totalSeconds = 0.0;
        t.window.restart();
    }
}

} // namespace Discwright::BackgroundWork
