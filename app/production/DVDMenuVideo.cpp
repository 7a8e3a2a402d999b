#include "app/production/DVDMenuVideo.h"

#include "Platterkit/render/MenuPageLayers.h"
#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/DVDMenuItemExtention.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

std::shared_ptr<DVDMenuVideo> DVDMenuVideo::menuVideoWithMenu(std::shared_ptr<DVDMenu> menu,
                                                              VCMovieRef audioMovie)
{
    if (!audioMovie)
        audioMovie = VCMovie::movieWithEmptyFFMovie();
    return std::make_shared<DVDMenuVideo>(std::move(menu), std::move(audioMovie));
}

DVDMenuVideo::DVDMenuVideo(std::shared_ptr<DVDMenu> menu, VCMovieRef audioMovie)
    : m_menu(std::move(menu))
{
    setAudioMovie(std::move(audioMovie));
}

DVDMenuVideo::~DVDMenuVideo() = default;

VCMovieRef DVDMenuVideo::audioMovie() const
{
    std::lock_guard guard(m_audioLock);
    return m_audioMovie;
}

void DVDMenuVideo::setAudioMovie(VCMovieRef audioMovie)
{
    {
        std::lock_guard guard(m_audioLock);
        m_audioMovie = audioMovie;
    }
    setMovie(audioMovie ? audioMovie->movie() : nullptr);
    setFadeIn(0);
    setFadeOut(0);
    updateDurationFromMenu();
}

std::shared_ptr<LMFFMovie> DVDMenuVideo::audio() const
{
    const VCMovieRef clip = audioMovie();
    return clip ? clip->movie() : nullptr;
}

VCMovieRef DVDMenuVideo::menuMusicMovie() const
{
    if (!m_menu)
        return nullptr;
    const auto music = platform::objectCast<MediaData>(m_menu->music());
    return music ? music->movie() : nullptr;
}

std::shared_ptr<LMFFMovie> DVDMenuVideo::menuMusic() const
{
    const VCMovieRef music = menuMusicMovie();
    return music ? music->movie() : nullptr;
}

int64_t DVDMenuVideo::menuDurationUs() const
{
    if (!m_menu)
        return 0;
    const double us = m_menu->duration() * double(lm_default_time_base());
    // A damaged page length counts as none rather than an undefined conversion.
    if (!std::isfinite(us) || us <= 0)
        return 0;
    if (us >= double(INT64_MAX))
        return INT64_MAX;
    return int64_t(us);
}

void DVDMenuVideo::updateDurationFromMenu()
{
    setTrimStart(0);
    setTrimStop(menuDurationUs());
}

QSizeF DVDMenuVideo::videoOutputSize() const
{
    return m_menu ? m_menu->menuSize() : QSizeF();
}

VCMovieList DVDMenuVideo::validVCMovies()
{
    return vcmovies();
}

VCMovieList DVDMenuVideo::vcmovies()
{
    const auto self = weak_from_this().lock();
    return self ? VCMovieList{self} : VCMovieList{};
}

VCMovieList DVDMenuVideo::musicVcMovies() const
{
    VCMovieList out;
    const VCMovieRef music = menuMusicMovie();
    if (!music)
        return out;
    const int64_t pageUs = trimDuration();
    const int64_t musicUs = music->trimDuration();
    int64_t covered = 0;
    while (pageUs - covered > kMinimumMusicUs && musicUs > kMinimumMusicUs) {
        auto piece = std::make_shared<VCMovie>(music->movie());
        piece->setFadeIn(music->fadeIn());
        piece->setFadeOut(music->fadeOut());
        piece->setTrimStart(music->trimStart());
        piece->setTrimStop(music->trimStop());
        covered += musicUs;
        if (covered > pageUs)
            piece->setTrimStop(piece->trimStop() - (covered - pageUs));
        out.append(piece);
    }
    return out;
}

// --- As a decoder --------------------------------------------------------------------------------

int64_t DVDMenuVideo::currentTime() const
{
    const auto movie = audio();
    return movie ? movie->currentTime() : 0;
}

void DVDMenuVideo::setCurrentTime(int64_t t)
{
    if (const auto movie = audio())
        movie->setCurrentTime(t);
    if (!m_menu)
        return;
    for (const DVDMenuItemRef &item : m_menu->items()) {
        if (item)
            DVDMenuItemExtention::setCurrentTime(*item, t);
    }
}

void DVDMenuVideo::setExportMovie(bool exportMovie)
{
    {
        std::lock_guard guard(m_layersLock);
        m_exporting = exportMovie;
        m_layers.reset();
        m_stillFrame.reset();
    }
    if (const auto movie = audio())
        movie->setExportMovie(exportMovie);
    if (!m_menu)
        return;
    for (const DVDMenuItemRef &item : m_menu->items()) {
        if (item)
            DVDMenuItemExtention::setExportMovie(*item, exportMovie);
    }
}

void DVDMenuVideo::setDisableVideo(bool)
{
    if (const auto movie = audio())
        movie->setDisableVideo(true);
}

void DVDMenuVideo::configOutputFormat(const LMFFAudioFormat &format)
{
    if (const auto movie = audio())
        movie->configOutputFormat(format);
}

bool DVDMenuVideo::readSample(float *buffer, int nb_stream, int frame)
{
    const auto movie = audio();
    if (!movie)
        return false;
    bool read = false;
    movie->decodeImageWaitUntilDone(
        [&] { read = movie->readSampleNbStreamFrame(buffer, nb_stream, frame); }, true);
    return read;
}

void DVDMenuVideo::flushOperation()
{
    if (const auto movie = audio())
        movie->flushOperation();
    if (!m_menu)
        return;
    for (const DVDMenuItemRef &item : m_menu->items()) {
        if (item)
            DVDMenuItemExtention::flushOperation(*item);
    }
}

DVDMenuVideoFrameImageRef DVDMenuVideo::frameImageAtTime(int64_t t)
{
    const QSizeF size = videoOutputSize();
    {
        std::lock_guard guard(m_layersLock);
        if (m_exporting && m_menu) {
            if (m_stillFrame)
                return m_stillFrame;
            if (!m_layers)
                m_layers = std::make_unique<Platterkit::render::MenuPageLayers>(m_menu);
            auto frame = DVDMenuVideoFrameImage::imageWithContent(size, m_layers->imageAtTime(t));
            if (m_layers->isStill())
                m_stillFrame = frame;
            return frame;
        }
    }
    QImage content = m_menu ? m_menu->imageAtTime(t) : QImage();
    return DVDMenuVideoFrameImage::imageWithContent(size, std::move(content));
}

void DVDMenuVideo::decodeImageAtTime(int64_t t, const FrameAction &action, bool)
{
    const DVDMenuVideoFrameImageRef frame = frameImageAtTime(t);
    if (action)
        action(frame);
}

void DVDMenuVideo::decodeImageAtTimeActionWaitUntilDone(int64_t t,
                                                        const MovieImageAction &action,
                                                        bool)
{
    if (t == LMFFMovie::kCurrentTime)
        t = currentTime();
    const DVDMenuVideoFrameImageRef frame = frameImageAtTime(t);
    if (action)
        action(frame ? frame->movieImage() : nullptr);
}

// --- As the player drives it ---------------------------------------------------------------------

bool DVDMenuVideo::isPlay() const
{
    const auto movie = audio();
    return movie && movie->isPlay();
}

void DVDMenuVideo::play()
{
    if (const auto movie = audio())
        movie->play();
    if (updatePlayerPlaySegment(true)) {
        if (const auto music = menuMusic())
            music->play();
    }
}

void DVDMenuVideo::pause()
{
    if (const auto movie = audio())
        movie->pause();
    if (const auto music = menuMusic())
        music->pause();
}

double DVDMenuVideo::musicVolumeAtTime(
    int64_t t, int64_t pageUs, int64_t musicUs, int64_t fadeInUs, int64_t fadeOutUs)
{
    if (musicUs <= 0)
        return 0.0;
    const int64_t local = ((t % musicUs) + musicUs) % musicUs;
    // The fade-out belongs to whichever end comes first: the music's own end, or the page's
    // end when the page stops the music before it is over.
    const int64_t remaining = std::min(pageUs - t, musicUs - local);
    double volume = 1.0;
    if (remaining < fadeOutUs)
        volume = double(remaining) / double(std::max<int64_t>(fadeOutUs, 1));
    else if (local < fadeInUs)
        volume = double(local) / double(std::max<int64_t>(fadeInUs, 1));
    if (!(volume >= 0.0))
        return 0.0;
    return std::min(volume, 1.0);
}

bool DVDMenuVideo::updatePlayerPlaySegment(bool force)
{
    const VCMovieRef musicClip = menuMusicMovie();
    const auto music = musicClip ? musicClip->movie() : nullptr;
    if (!music)
        return false;
    const int64_t musicUs = musicClip->trimDuration();
    if (musicUs <= kMinimumMusicUs)
        return false;
    const int64_t t = currentTime();
    const int64_t local = ((t % musicUs) + musicUs) % musicUs;
    music->setPlayVolume(float(
        musicVolumeAtTime(t, trimDuration(), musicUs, musicClip->fadeIn(), musicClip->fadeOut())));
    const int64_t target = musicClip->trimStart() + local;
    if (force || std::llabs(music->currentTime() - target) > kMusicSyncToleranceUs)
        music->setCurrentTime(target);
    return true;
}

void DVDMenuVideo::decodeCurrentImageWithAction(const FrameAction &action)
{
    decodeImageAtTime(currentTime(), action, true);
}

namespace DVDMenuExtention {

DVDMenuVideoList vcmovies(const std::shared_ptr<DVDMenu> &page)
{
    if (!page)
        return {};
    return {DVDMenuVideo::menuVideoWithMenu(page, VCMovie::movieWithEmptyFFMovie())};
}

} // namespace DVDMenuExtention
