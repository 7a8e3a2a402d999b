#include "Reelsmith/detail/LMCodecLock.h"

std::recursive_mutex &lm_codec_lock()
{
    // A function-local static: constructed on first use, so no start-up order problems.
    static std::recursive_mutex lock;
    return lock;
}
