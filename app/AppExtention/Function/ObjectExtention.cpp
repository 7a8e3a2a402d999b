#include "app/AppExtention/Function/ObjectExtention.h"

#include "app/AppExtention/Function/AppLog.h"
#include "platform/TryBlock.h"

namespace ObjectExtention {

void tryBlock(const QObject *receiver,
              const std::function<void()> &block,
              const std::function<void()> &catchBlock)
{
    if (!block)
        return;
    try {
        block();
    } catch (const platform::Exception &exception) {
        if (catchBlock)
            catchBlock();
        qCWarning(Discwright::lcKit).noquote()
            << QStringLiteral("tryBlock %1 %2 %3")
                   .arg(platform::describeObject(receiver),
                        exception.description(),
                        platform::describeCallStack(exception.callStackSymbols()));
    }
}

void installTryBlock()
{
    platform::setTryBlockHandler([](const QObject *receiver, const std::function<void()> &block) {
        tryBlock(receiver, block);
    });
}

} // namespace ObjectExtention
