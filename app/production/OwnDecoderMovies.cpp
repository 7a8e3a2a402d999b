#include "app/production/OwnDecoderMovies.h"

#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"
#include "platform/KeyValue.h"

#include <QHash>

namespace Discwright::OwnDecoderMovies {

namespace {

// The settings the key table does not carry.
void copyPictureExtras(const LMFFMovie &from, LMFFMovie &to)
{
    to.setDisplaySize(from.displaySize());
    to.setSubtitleBackgroundColor(from.subtitleBackgroundColor());
    to.setSubtitleBackgroundRadius(from.subtitleBackgroundRadius());
    to.setSelectSubtitleStreams(from.selectSubtitleStreams());
    to.setWatermark(from.watermark());
}

} // namespace

std::shared_ptr<LMFFMovie> copyEngineMovie(const VCMovie &clip)
{
    const auto engine = clip.movie();
    if (!engine)
        return nullptr;
    const LMFFMovie &original = *engine;
    const auto medias = original.medias();
    if (medias.isEmpty())
        return nullptr;
    LMFFMovie::initialize();
    auto copy = std::make_shared<LMFFMovie>();
    copy->setDisableVideo(original.disableVideo());
    QList<std::shared_ptr<LMFFMedia>> copies;
    copies.reserve(medias.size());
    for (const auto &media : medias) {
        if (media)
            copies.append(media->copy());
    }
    copy->openMedias(copies);
    if (const auto subtitle = original.subtitle(); subtitle && subtitle->source())
        copy->openSubtitle(subtitle->source()->fullpath());
    copy->setSelectAudioStreams(original.selectAudioStreams());
    // The key table writes engine settings through a clip; a bare one over the copy will do.
    VCMovie to(copy);
    for (const QString &key : MovieAttributeKeyTable::engineKeys()) {
        const QVariant value = MovieAttributeKeyTable::engineValue(clip, key);
        if (value.isValid() && !value.isNull())
            MovieAttributeKeyTable::setEngineValue(to, key, value);
    }
    copyPictureExtras(original, *copy);
    return copy;
}

VCMovieList moviesWithOwnDecoders(const VCMovieList &movies)
{
    QHash<const LMFFMovie *, std::shared_ptr<LMFFMovie>> copies;
    VCMovieList result;
    result.reserve(movies.size());
    for (const VCMovieRef &movie : movies) {
        const auto engine = movie ? movie->movie() : nullptr;
        if (!engine) {
            result.append(movie);
            continue;
        }
        auto found = copies.find(engine.get());
        if (found == copies.end())
            found = copies.insert(engine.get(), copyEngineMovie(*movie));
        if (!*found) {
            result.append(movie);
            continue;
        }
        auto clip = std::make_shared<VCMovie>(*found);
        for (const QString &key : MovieAttributeKeyTable::clipKeys())
            platform::setValueForKey(clip.get(), platform::valueForKey(movie.get(), key), key);
        clip->setAudioFades(movie->audioFades());
        clip->setPlayer_id(movie->player_id());
        result.append(clip);
    }
    return result;
}

} // namespace Discwright::OwnDecoderMovies
