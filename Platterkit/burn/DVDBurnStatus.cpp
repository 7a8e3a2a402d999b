#include "Platterkit/burn/DVDBurnStatus.h"

int burnStateAfterStatus(int state, const QVariantMap &status)
{
    if (state != DVDBurnStateBusyOrIdle)
        return state;
    const QString phase = status.value(DVDBurnStatus::StateKey).toString();
    if (phase == DVDBurnStatus::StateDone)
        return DVDBurnStateFinished;
    if (phase == DVDBurnStatus::StateFailed)
        return DVDBurnStateFailed;
    return DVDBurnStateBusyOrIdle;
}
