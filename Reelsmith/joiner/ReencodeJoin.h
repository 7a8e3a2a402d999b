#pragma once

// Joining by decoding and encoding again, the part of Reelhand's "joiner" for tracks that a stream
// copy cannot join: a rate other than 1, or inputs whose codecs, picture sizes or sample rates
// differ. Any thread; one call at a time per output file.

#include <QString>

class VideoJoiner;

namespace Reelsmith::detail {

// Writes joiner's tracks into joiner.path through the engine's encoder (container and codecs from
// the extension). Each track starts at its position and plays at its rate: a rate of 2 makes it
// last half as long, with its sound at the same pitch. The picture size and frame rate are those
// of the first track that has video. Gaps before a track are black and silent; a track that
// starts before the previous one ends is cut where it would overlap. False with *error set; a
// partial output file is removed.
bool joinByReencoding(const VideoJoiner &joiner, QString *error);

} // namespace Reelsmith::detail
