#pragma once

#include "app/AppExtention/Convert/VCMovie.h"

#include <memory>

class LMFFMovie;

// Copies of edited clips that read their files through decoders of their own. A production job
// converts copies, so that two jobs running at once never seek one decoder back and forth (a
// menu page draws the titles' clips as moving pictures while the titles convert; two pages may
// share one piece of music).
//
// Plain functions; any thread but the main one (opening a decoder waits for its decode queue).
// The originals are only read.
namespace Discwright::OwnDecoderMovies {

// A new engine movie over new demuxers of the same medias and subtitle file as clip's engine
// movie, with the same stream selections, picture settings, effect, zoom, watermark, subtitle
// style and volume. Null when clip has no engine movie or it has no medias.
std::shared_ptr<LMFFMovie> copyEngineMovie(const VCMovie &clip);

// One new clip per clip, with the same window, fades, kept segments and clip edits; clips that
// shared an engine movie share one copy of it. A clip without an engine movie, or whose movie
// cannot be copied, is kept as it is.
VCMovieList moviesWithOwnDecoders(const VCMovieList &movies);

} // namespace Discwright::OwnDecoderMovies
