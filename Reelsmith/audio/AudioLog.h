#pragma once

#include <QLoggingCategory>

namespace Reelsmith {
// discwright.reelsmith.audio: the audio output (device open, driver choice, start and stop).
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
// discwright.reelsmith.audio.trace: per render cycle (underflows); off by default.
Q_DECLARE_LOGGING_CATEGORY(lcAudioTrace)
} // namespace Reelsmith
