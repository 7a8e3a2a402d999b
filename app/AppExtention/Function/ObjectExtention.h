#pragma once

// Exception containment for any object's work. A platform::Exception raised inside the block is
// caught: the catch block (when given) runs once, then "tryBlock <receiver> <exception> <stack>" is
// logged, and the call returns normally. Whatever the block changed before the exception stays
// changed. Other exception types pass through. Runs on the calling thread; any thread.

#include <QObject>
#include <functional>

namespace ObjectExtention {

void tryBlock(const QObject *receiver,
              const std::function<void()> &block,
              const std::function<void()> &catchBlock = {});

// Routes every platform::tryBlock of the process (the engines' archive saves and loads among
// them) through tryBlock above. Called once at start-up.
void installTryBlock();

} // namespace ObjectExtention
