#pragma once

// The split of a clip into menu titles at its chapter markers, apart from any window: the pieces
// of the kept segments between the markers' source-file times, and the clip and its copies
// rewritten to one piece each. Main thread (it changes the clip the windows show).

#include "app/AppExtention/Convert/MediaData.h"

#include <QString>

namespace ChapterSplit {

// Overlaps this short or shorter are no piece.
constexpr qint64 kShortestPart = 10000;

// The part of the kept segments (segment movies in play order) that lies in [from, to] (origin
// time): one new trim item per overlap longer than kShortestPart, without fades.
MovieTrimItemList getTrimedArray(const VCMovieList &segments, qint64 from, qint64 to);

// The non-empty pieces between 0, every cut's markOriginTime and sourceDuration, in source
// order; none without cuts.
QList<MovieTrimItemList>
pieces(const MarkerItemList &cuts, const VCMovieList &segments, qint64 sourceDuration);

struct Result
{
    enum class Outcome {
        // Fewer than two pieces: the clip is as it was.
        NoChange,
        // A copy of the clip could not be made: the clip is as it was; reason says why.
        CopyFailed,
        // The clip keeps the first piece, newClips hold the others (in piece order); no markers
        // are left on any of them.
        Split,
    };
    Outcome outcome = Outcome::NoChange;
    MediaDataList newClips;
    QString reason;
};

// Splits clip at its markers. Every copy is made before the clip changes, so a copy that fails
// leaves everything as it was.
Result splitClip(const MediaDataRef &clip);

} // namespace ChapterSplit
