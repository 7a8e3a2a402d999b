#pragma once

// Joining without re-encoding, the part of Reelhand's "joiner" that needs no encoder. Any thread;
// one call at a time per output file.

#include <QString>

class VideoJoiner;

namespace Reelsmith::detail {

// Writes joiner's tracks into joiner.path (container from its extension) by stream copy, each
// track's packets moved to its position. Every track must hold the audio and video streams of the
// first (same codecs, picture size and sample rate); a rate other than 1 needs re-encoding and is
// refused. False with *error set; a partial output file is removed.
bool joinByStreamCopy(const VideoJoiner &joiner, QString *error);

} // namespace Reelsmith::detail
