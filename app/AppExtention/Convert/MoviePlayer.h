#pragma once

#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/player/LMMoviePlayer.h"
#include "app/AppExtention/Convert/VCMovie.h"

#include <cstdint>
#include <memory>

class ClipDecoder;

/**
 * The application's player of one edited clip (a VCMovie): the engine player with the clip as its
 * segment. In preview mode playback stays within the clip's window with its fades applied;
 * otherwise it runs over the whole movie. A clip that is its own decoder (ClipDecoder, a menu page
 * video) is played through that interface instead of through its engine movie.
 *
 * Stopping the player or dropping its clip (clearPlayer, destruction) pauses the clip first when
 * this player plays it: the engine movie is shared with the clip's other pieces and would
 * otherwise go on sounding with no player left to pause it.
 *
 * Owned by the window that shows the clip (or by a subclass's owner). Main thread only, like the
 * engine player.
 */
class MoviePlayer : public LMMoviePlayer
{
public:
    MoviePlayer();
    ~MoviePlayer() override;

    /** The clip played: the engine player's segment when it is a VCMovie, else null. */
    std::shared_ptr<VCMovie> vcMovie() const;
    void setVcMovie(std::shared_ptr<VCMovie> movie);
    /** The clip's own decoder when the clip is one (a menu page video); null otherwise. */
    std::shared_ptr<ClipDecoder> clipDecoder() const;

    /** Preview mode: the engine player's isApplyEffect. */
    bool isPreview() const { return isApplyEffect(); }
    void setIsPreview(bool on) { setIsApplyEffect(on); }

    /**
     * Seeks to t on this player's timeline. Here that is the movie's own time (engine time);
     * the subclasses lay their own timelines over it.
     */
    virtual void seek(int64_t t);
    /** When not playing, pause, which marks the frame for redrawing. */
    void flushPlayImage();
    /** pause. */
    void stop();

    /** Whether the clip has video (through its own decoder when it is one). */
    bool clipHasVideo() const;

    /**
     * The picture to show: the last frame with the clip's edits applied. Null before the first
     * frame, and for a clip without video.
     */
    Reelsmith::imaging::Image currentFrameImage() const;

    // The engine player's operations, through the clip's own decoder when it is one.
    void play() override;
    bool isPlay() const override;
    void pause() override;
    int64_t duration() const override;
    int64_t currentTime() const override;
    void setCurrentTime(int64_t t) override;
    void updatePlayerPlaySegment() override;
    void updatePlayerVolume() override;
    void updateCurrentImage() override;
    void timerUpdateImageMethod() override;
    /** Pauses first when this player plays (see the class comment), then drops the clip. */
    void clearPlayer() override;

protected:
    /** The movie's own clock and length, whatever timeline a subclass shows. */
    int64_t movieCurrentTime() const;
    int64_t movieDuration() const;

private:
    struct ClipFrame;
    std::shared_ptr<ClipFrame> m_clipFrame;
    // A clip that decodes itself needs its frame drawn even while paused (after a seek, a pause,
    // a new clip); main thread only.
    bool m_clipNeedsFrame = false;
};
