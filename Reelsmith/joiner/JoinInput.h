#pragma once

// Opening one input of a join, shared by the stream-copy and the re-encoding joins. Any thread.

#include "Reelsmith/detail/FFmpegPointers.h"

#include <QString>

namespace Reelsmith::detail {

using JoinInput = InputContextPtr;

// The file opened and probed (the probe under the codec lock); null with *error set when either
// fails.
JoinInput openJoinInput(const QString &path, QString *error);

} // namespace Reelsmith::detail
