#include "app/chaptereditor/Controller/ChapterSplit.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MainThread.h"

#include <algorithm>

namespace ChapterSplit {

MovieTrimItemList getTrimedArray(const VCMovieList &segments, qint64 from, qint64 to)
{
    MovieTrimItemList piece;
    for (const auto &segment : segments) {
        const qint64 start = std::max(from, segment->trimStart());
        const qint64 stop = std::min(to, segment->trimStop());
        if (stop - start > kShortestPart)
            piece.append(MovieTrimItem::item(lm_ff_time_to_double(start),
                                             lm_ff_time_to_double(stop - start)));
    }
    return piece;
}

QList<MovieTrimItemList>
pieces(const MarkerItemList &cuts, const VCMovieList &segments, qint64 sourceDuration)
{
    QList<MovieTrimItemList> made;
    if (cuts.isEmpty())
        return made;
    qint64 from = 0;
    for (qsizetype i = 0; i <= cuts.size(); ++i) {
        const qint64 to = i < cuts.size() ? cuts[i]->markOriginTime() : sourceDuration;
        MovieTrimItemList piece = getTrimedArray(segments, from, to);
        if (!piece.isEmpty())
            made.append(piece);
        from = to;
    }
    return made;
}

Result splitClip(const MediaDataRef &clip)
{
    DW_ASSERT_MAIN_THREAD();
    Result result;
    const VCMovieRef movie = clip ? clip->movie() : nullptr;
    const auto source = clip ? clip->ffmovie() : nullptr;
    if (!movie || !source)
        return result;
    const QList<MovieTrimItemList> cut
        = pieces(clip->markerArray(), movie->validVCMovies(), source->duration());
    // One piece would only rewrite the clip's segments and drop its markers for no new title.
    if (cut.size() < 2)
        return result;

    QString error;
    const QByteArray archive
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(clip)), &error);
    MediaDataList copies;
    for (qsizetype i = 1; i < cut.size() && !archive.isEmpty(); ++i) {
        auto copy = std::dynamic_pointer_cast<MediaData>(
            platform::objectFromVariant(platform::KeyedUnarchiver::unarchive(archive, &error)));
        if (!copy || !copy->movie())
            break;
        copies.append(copy);
    }
    if (copies.size() != cut.size() - 1) {
        result.outcome = Result::Outcome::CopyFailed;
        result.reason
            = error.isEmpty() ? QStringLiteral("the copy of the clip has no media") : error;
        return result;
    }

    movie->setTrimArray(cut.first());
    clip->setMarkerArray({});
    for (qsizetype i = 0; i < copies.size(); ++i) {
        copies[i]->movie()->setTrimArray(cut[i + 1]);
        copies[i]->setMarkerArray({});
    }
    result.outcome = Result::Outcome::Split;
    result.newClips = copies;
    return result;
}

} // namespace ChapterSplit
