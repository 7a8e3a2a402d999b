#pragma once

#include <QString>
#include <memory>

class LMFFMovie;

namespace Discwright {

/**
 * A new engine movie over the same files as movie, with decoders of its own, carrying every
 * setting that shapes its pictures and sound: crop, sizes, zoom, flips, rotation, colour,
 * sharpness, effect, watermark, subtitle file, style and track selections, volume. A conversion
 * decodes from it so that nothing else that uses the original (a player, another running job)
 * moves its clock or its decoders under the conversion, and the other way round.
 *
 * An edited clip's subtitle text is opened from a temporary file that is gone again, so the
 * clip's subtitleText (with the extension of its subtitle file) is opened into the copy when the
 * original's file cannot be read.
 *
 * Null when movie has no medias to copy, or when it shows a subtitle that the copy cannot: the
 * caller then keeps the original. Waits for both movies' decode queues: call it from a worker
 * thread, never the main thread.
 */
std::shared_ptr<LMFFMovie> movieWithOwnDecoders(const LMFFMovie &movie,
                                                const QString &subtitleText = QString(),
                                                const QString &subtitleExtension = QString());

} // namespace Discwright
