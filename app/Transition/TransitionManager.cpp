#include "app/Transition/TransitionManager.h"

TransitionManager &TransitionManager::manager()
{
    static TransitionManager *const shared = [] {
        auto *catalogue = new TransitionManager;
        catalogue->init();
        return catalogue;
    }();
    return *shared;
}

QString TransitionManager::bundleResourceName() const
{
    return QStringLiteral("TransQuartzs");
}
