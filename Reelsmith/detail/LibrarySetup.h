#pragma once

// The engine's one-time, process-wide set-up. Every entry object of the engine (a movie, a media,
// a media source) runs it when it is made, so FFmpeg's log goes where the engine's log goes before
// the first probe writes to it. Any thread; the set-up runs once.

#include <QLoggingCategory>

namespace Reelsmith {
// discwright.reelsmith.ffmpeg: FFmpeg's own messages, each at the level FFmpeg gave it.
Q_DECLARE_LOGGING_CATEGORY(lcFfmpeg)
} // namespace Reelsmith

namespace Reelsmith::detail {

// Routes FFmpeg's log into lcFfmpeg (av_log_set_callback) and sets FFmpeg's own level to the most
// detailed level that category lets through, so FFmpeg does not format messages nobody reads.
void ensureLibrarySetUp();

} // namespace Reelsmith::detail
