#pragma once

// Two engine times that ask for a kind of picture rather than a moment of a page's time line. They
// are handed unchanged to the elements and, through them, to the titles that fill title pictures.

#include <QtGlobal>
#include <limits>

namespace Platterkit::render {

/** The page as a thumbnail (the page list, the template chooser). */
inline constexpr qint64 kThumbnailTimeUs = std::numeric_limits<qint64>::max();
/** The page's layout: frames only, disabled elements included (the canvas while editing). */
inline constexpr qint64 kLayoutTimeUs = std::numeric_limits<qint64>::max() - 10;

} // namespace Platterkit::render
