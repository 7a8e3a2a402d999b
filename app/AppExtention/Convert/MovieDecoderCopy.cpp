#include "app/AppExtention/Convert/MovieDecoderCopy.h"

#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Function/FileManagerExtention.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Discwright {

namespace {

// Opens text as the movie's subtitle through a temporary file with that extension.
bool openSubtitleText(LMFFMovie &movie, const QString &text, const QString &extension)
{
    const QString path
        = FileManagerExtention::tempFilePath(QStringLiteral("export-Subtitle-Path"), extension);
    if (path.isEmpty())
        return false;
    QFile::remove(path);
    bool opened = false;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        if (file.commit())
            opened = movie.openSubtitle(path);
    }
    QFile::remove(path);
    return opened;
}

} // namespace

std::shared_ptr<LMFFMovie> movieWithOwnDecoders(const LMFFMovie &movie,
                                                const QString &subtitleText,
                                                const QString &subtitleExtension)
{
    const auto medias = movie.medias();
    if (medias.isEmpty())
        return nullptr;
    // A media's fields belong to its movie's decode queue, so it is copied there.
    QList<std::shared_ptr<LMFFMedia>> copies;
    QString subtitlePath;
    const_cast<LMFFMovie &>(movie).decodeImageWaitUntilDone(
        [&] {
            for (const auto &media : medias)
                copies.append(media->copy());
            if (const auto subtitle = movie.subtitle(); subtitle && subtitle->source())
                subtitlePath = subtitle->source()->path();
        },
        true);

    auto copy = std::make_shared<LMFFMovie>();
    // The copies carry each media's stream selections into the opening.
    copy->openMedias(copies);
    if (movie.hasSubtitle()) {
        const bool opened
            = (QFileInfo(subtitlePath).isReadable() && copy->openSubtitle(subtitlePath))
              || (!subtitleText.isEmpty()
                  && openSubtitleText(*copy, subtitleText, subtitleExtension));
        if (!opened)
            return nullptr;
    }
    copy->setVolume(movie.volume());

    // Opening sized the frame image for the file; the settings go on after it.
    copy->setCropRect(movie.cropRect());
    copy->setDisplaySize(movie.displaySize());
    copy->setOutputVideoSize(movie.outputVideoSize());
    copy->setZoomType(movie.zoomType());
    copy->setHflip(movie.hflip());
    copy->setVflip(movie.vflip());
    copy->setRotate(movie.rotate());
    copy->setSaturation(movie.saturation());
    copy->setBrightness(movie.brightness());
    copy->setContrast(movie.contrast());
    copy->setHue(movie.hue());
    copy->setSharpness(movie.sharpness());
    copy->setEffectName(movie.effectName());
    copy->setWatermark(movie.watermark());
    copy->setSubtitleFont(movie.subtitleFont());
    copy->setSubtitleColor(movie.subtitleColor());
    copy->setSubtitleBackgroundColor(movie.subtitleBackgroundColor());
    copy->setSubtitleShadow(movie.subtitleShadow());
    copy->setSubtitleBackgroundRadius(movie.subtitleBackgroundRadius());
    copy->setSubtitlePosition(movie.subtitlePosition());
    return copy;
}

} // namespace Discwright
