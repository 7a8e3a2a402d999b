#include "Reelsmith/audio/AudioLog.h"

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcAudio, "discwright.reelsmith.audio", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAudioTrace, "discwright.reelsmith.audio.trace", QtCriticalMsg)
} // namespace Reelsmith
