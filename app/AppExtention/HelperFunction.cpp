#include "app/AppExtention/HelperFunction.h"

#include "app/AppExtention/UserConfig.h"

#include <QProcessEnvironment>

bool HelperFunction::isSandboxed()
{
    return QProcessEnvironment::systemEnvironment().contains(
        QStringLiteral("APP_SANDBOX_CONTAINER_ID"));
}

void HelperFunction::saveUserConfig()
{
    UserConfig::share().save();
}
