#pragma once

// Runs work on the thread of an object (the main thread, for the objects a production run shows
// or burns with) and waits for it, as the production thread does for its alerts and its calls
// into the burner. Called on that thread itself, the work runs at once. The object's thread must
// run its event loop meanwhile, and must not be waiting for the caller.

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>

namespace Discwright::detail {

template <class Function> auto callOnThreadOf(QObject *context, Function function)
{
    using Result = decltype(function());
    if (QThread::currentThread() == context->thread())
        return function();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(context, function, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            context, [&result, &function] { result = function(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

} // namespace Discwright::detail
