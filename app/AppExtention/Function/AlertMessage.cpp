#include "app/AppExtention/Function/AlertMessage.h"

#include "app/AppExtention/Function/AppLog.h"
#include "platform/StringTable.h"

QString AlertMessage::text() const
{
    return key.isEmpty() ? QString() : platform::localizedString(key, arguments);
}

QString AlertMessage::informativeText() const
{
    return informativeKey.isEmpty()
               ? QString()
               : platform::localizedString(informativeKey, informativeArguments);
}

void AlertMessage::log() const
{
    qCWarning(Discwright::lcShell).noquote()
        << "alert:" << platform::fillPlaceholders(key, arguments)
        << (reason.isEmpty() ? QString() : QStringLiteral("(%1)").arg(reason));
}
