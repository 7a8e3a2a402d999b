#pragma once

#include "Reelsmith/imaging/Image.h"

#include <QImage>
#include <QRect>
#include <cstdint>

namespace Reelsmith::imaging {

/**
 * Renders image over region into dst (premultiplied RGBA8, rows stride bytes apart, the region's
 * top row first). region is in the image's y-up pixel coordinates: region.y() is its lowest row.
 * Pixels the image does not cover become transparent. The rows are split into horizontal bands
 * rendered on threads worker threads (0: defaultThreadCount(), fewer where the filters read far
 * around each pixel); the bytes are the same for any number of threads. False (dst untouched) for a null image, an empty region or no dst.
 *
 * Any thread. While it runs, the lock of every source that has one is held.
 */
bool render(
    const Image &image, const QRect &region, uint8_t *dst, qsizetype stride, int threads = 0);
/** The same into a new QImage (Format_RGBA8888_Premultiplied); null when render fails. */
QImage renderToImage(const Image &image, const QRect &region, int threads = 0);

/** Threads a render uses when asked for 0: the machine's cores unless set. */
int defaultThreadCount();
/** Sets that number (below 1: back to the machine's cores). Any thread. */
void setDefaultThreadCount(int threads);

} // namespace Reelsmith::imaging
