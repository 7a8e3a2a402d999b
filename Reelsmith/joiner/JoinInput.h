#pragma once

// What the stream-copy and the re-encoding joins share: opening an input, the order of the
// tracks, and the rule that a failed join leaves no file. Any thread.

#include "Reelsmith/detail/FFmpegPointers.h"
#include "Reelsmith/joiner/VideoJoinerItem.h"

#include <QString>
#include <functional>

class VideoJoiner;

namespace Reelsmith::detail {

using JoinInput = InputContextPtr;

// The file opened and probed (the probe under the codec lock); null with *error set when either
// fails.
JoinInput openJoinInput(const QString &path, QString *error);

// The joiner's tracks by position; tracks at one position keep their order.
VideoJoinerItemList tracksByPosition(const VideoJoiner &joiner);

// Runs join into joiner.path; when it fails the partial file is removed and *error (may be null)
// says why.
bool runJoin(const VideoJoiner &joiner,
             const std::function<bool(const VideoJoiner &, QString *)> &join,
             QString *error);

} // namespace Reelsmith::detail
