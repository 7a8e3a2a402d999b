#pragma once

#include "Platterkit/model/DVDMenu.h"
#include "Reelsmith/LMTypes.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/production/DVDMenuVideoFrameImage.h"

#include <QList>
#include <QSizeF>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class LMFFMovie;
namespace Platterkit::render {
class MenuPageLayers;
}

/**
 * A menu page played as a movie, so that the page can stand wherever the system takes an edited
 * clip: the simulated DVD player plays it like a title and the production pipeline encodes it
 * into the menu's stream like any clip. It is a clip (a VCMovie over 0 to the page's duration,
 * without fades) whose engine movie is its audio movie: that movie carries the page's clock and,
 * when encoding, its sound. Its pictures are not decoded but drawn by the page itself, at any time,
 * on the thread that asks (decodeImageAtTime).
 *
 * For playback the audio movie is a silent empty movie and the page's music plays beside it,
 * kept in step with the page clock (updatePlayerPlaySegment); for encoding the pipeline encodes
 * musicVcMovies into a file first and sets that file's clip as the audio movie.
 *
 * Made by menuVideoWithMenu (or DVDMenuExtention::vcmovies) and held by std::shared_ptr; it keeps
 * its page and its audio movie alive. Threads: the player operations (play, pause, the music sync,
 * setCurrentTime) run on the main thread; decodeImageAtTime, readSample, musicVcMovies and the
 * converter's setExportMovie, setCurrentTime and flushOperation may run on the encoder's thread
 * while the main thread draws the same page elsewhere (the page's slideshow and title pictures
 * guard themselves). setAudioMovie comes before playing or encoding.
 */
class DVDMenuVideo : public VCMovie, public std::enable_shared_from_this<DVDMenuVideo>
{
    Q_OBJECT
public:
    using FrameAction = std::function<void(const DVDMenuVideoFrameImageRef &)>;

    // Music within this of its own length or of the page's end is not laid or synced.
    static constexpr int64_t kMinimumMusicUs = 500000;
    // The music is moved back to the page clock only when it drifts further than this.
    static constexpr int64_t kMusicSyncToleranceUs = 200000;
    // currentVideoMediaMaxTime: one hour.
    static constexpr int64_t kVideoMediaMaxTimeUs = int64_t(3600) * 1000000;

    // A page video over menu; a null audioMovie takes a silent empty movie (the player's form).
    static std::shared_ptr<DVDMenuVideo> menuVideoWithMenu(std::shared_ptr<DVDMenu> menu,
                                                           VCMovieRef audioMovie = nullptr);
    DVDMenuVideo(std::shared_ptr<DVDMenu> menu, VCMovieRef audioMovie);
    ~DVDMenuVideo() override;

    std::shared_ptr<DVDMenu> menu() const { return m_menu; }
    VCMovieRef audioMovie() const;
    // Replaces the page's sound: its movie becomes this clip's engine movie (and clock). The trim
    // window is taken again from the page's duration.
    void setAudioMovie(VCMovieRef audioMovie);
    // The audio movie's engine movie; null without one.
    std::shared_ptr<LMFFMovie> audio() const;
    // The clip of the page's background music (a MediaData's movie); null without music.
    VCMovieRef menuMusicMovie() const;
    // That clip's engine movie; null without music.
    std::shared_ptr<LMFFMovie> menuMusic() const;

    // Takes the trim window from the page again: 0 to its duration in engine time (truncated).
    void updateDurationFromMenu();
    // The page's duration in engine time, as the page says it now.
    int64_t menuDurationUs() const;

    // --- As a clip -----------------------------------------------------------------------------
    // The page's menuSize.
    QSizeF videoOutputSize() const override;
    // A page always has a picture and a sound (silence at least).
    bool hasAudio() const override { return true; }
    bool hasVideo() const override { return true; }
    // The page is one piece: a list holding only this object.
    VCMovieList validVCMovies() override;
    VCMovieList vcmovies();
    int64_t currentVideoMediaMaxTime() const { return kVideoMediaMaxTimeUs; }
    // The music clips that cover the page: the music repeated back to back, the last copy
    // shortened to end with the page (its fade-out then falls there); a remainder of 0.5 s or less
    // adds nothing. Empty without music or with music of 0.5 s or less. Each clip is new and shares
    // the music's engine movie (give it a movie of its own to decode it beside other work).
    VCMovieList musicVcMovies() const;

    // --- As a decoder -------------------------------------------------------------------------
    // The audio movie's clock; 0 without one.
    int64_t currentTime() const;
    // The audio movie to t, then every element of the page (a title element restarts its moving
    // picture).
    void setCurrentTime(int64_t t) override;
    // The audio movie and every element of the page. While exporting, the page's frames are drawn
    // from layers kept between frames (Platterkit::render::MenuPageLayers): the page is the
    // production's copy and does not change under the encoder.
    void setExportMovie(bool exportMovie) override;
    // The audio movie never supplies pictures, whatever is asked.
    void setDisableVideo(bool disable);
    void configOutputFormat(const LMFFAudioFormat &format);
    // The audio movie's samples (LMFFMovie::readSampleNbStreamFrame), read on its decode queue
    // (inline when already there); false without an audio movie.
    bool readSample(float *buffer, int nb_stream, int frame);
    // Waits for the audio movie's queued work, then each element's.
    void flushOperation() override;
    // Draws the page at t and calls action with the frame at once, on the calling thread; wait
    // changes nothing.
    void decodeImageAtTime(int64_t t, const FrameAction &action, bool wait = true);
    // The same frame as an engine frame image (DVDMenuVideoFrameImage::movieImage), so that code
    // that asks clips for their frames plays and encodes pages too. kCurrentTime: at the clock.
    void decodeImageAtTimeActionWaitUntilDone(int64_t t,
                                              const MovieImageAction &action,
                                              bool wait) override;
    // The page picture at t, drawn on the calling thread (null for an empty page size).
    DVDMenuVideoFrameImageRef frameImageAtTime(int64_t t);

    // --- As the player drives it (main thread) ------------------------------------------------
    // The audio movie plays.
    bool isPlay() const;
    // The audio movie plays, the music is synced at once and, when there is music to sync, plays.
    void play();
    // The audio movie and the music pause.
    void pause();
    bool updatePlayerPlaySegment() { return updatePlayerPlaySegment(false); }
    // Keeps the music under the page clock, looping it: its volume follows its fades, measured
    // from the music's own end or the page's end, whichever is nearer; its time is moved when force
    // is set or when it drifted more than 0.2 s. False (nothing done) without music longer than
    // 0.5 s.
    bool updatePlayerPlaySegment(bool force);
    // decodeImageAtTime at currentTime.
    void decodeCurrentImageWithAction(const FrameAction &action);

    // The volume the music sync sets for music of length musicUs (fades fadeInUs, fadeOutUs) on a
    // page of pageUs at page time t: the fade-out counts down to the nearer of the music's end and
    // the page's end. Clamped to [0, 1]. Pure; any thread.
    static double musicVolumeAtTime(
        int64_t t, int64_t pageUs, int64_t musicUs, int64_t fadeInUs, int64_t fadeOutUs);

private:
    std::shared_ptr<DVDMenu> m_menu;
    mutable std::mutex m_audioLock;
    VCMovieRef m_audioMovie; // guarded by m_audioLock
    std::mutex m_layersLock;
    // Made on the first exported frame, dropped when exporting ends; guarded by m_layersLock.
    std::unique_ptr<Platterkit::render::MenuPageLayers> m_layers;
    bool m_exporting = false;
    // The one frame of a still page while exporting: its picture and conversions are made once.
    DVDMenuVideoFrameImageRef m_stillFrame;
};

using DVDMenuVideoRef = std::shared_ptr<DVDMenuVideo>;
using DVDMenuVideoList = QList<DVDMenuVideoRef>;

namespace DVDMenuExtention {
// The page's clip for the player and the pipeline: a list of one new page video whose audio movie
// is a silent empty movie. Empty for a null page.
DVDMenuVideoList vcmovies(const std::shared_ptr<DVDMenu> &page);
} // namespace DVDMenuExtention
