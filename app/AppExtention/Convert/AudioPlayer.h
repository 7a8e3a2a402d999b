#pragma once

#include "app/AppExtention/Convert/VCMovie.h"

#include <cstdint>
#include <memory>

class QTimer;

/**
 * Plays the sound of a list of clips back to back (the menu music in its dialog), with each
 * clip's fades, on its own 0.05 s polling loop: each turn moves on to the next clip when the
 * current one has passed its trimStop and sets the gain from the clip's fade-in and fade-out.
 * The timeline is the clips' trimmed lengths laid end to end; it plays to the end of the last
 * clip and stops there (the clip playing is paused, nothing is current).
 *
 * The application uses one shared instance (share()), made on first use and kept for the life
 * of the process; other instances are independent (the tests make their own).
 *
 * Main thread: every operation but updatePlayerPlayLoop, which may be called from any thread and
 * then moves itself to the main thread. Destroy an instance on the main thread.
 */
class AudioPlayer
{
public:
    /** The polling interval of the loop. */
    static constexpr int kLoopIntervalMs = 50;

    /** The shared player. */
    static AudioPlayer &share();

    AudioPlayer();
    /** clearPlayer; a loop turn still queued then finds nothing. */
    ~AudioPlayer();
    AudioPlayer(const AudioPlayer &) = delete;
    AudioPlayer &operator=(const AudioPlayer &) = delete;

    /**
     * clearPlayer, then plays_movies = clips, or one silent clip (VCMovie::movieWithEmptyFFMovie)
     * for an empty list. Nothing is current until the first seek: callers seek before they play.
     */
    void updatePlayMovies(const VCMovieList &clips);

    /** Starts the current clip's movie and the loop. Nothing plays before a seek. */
    void play();
    void pause();
    bool isPlay() const;

    /** Timeline time (engine time): the movie's time - cur_movie's trimStart + its offset. */
    int64_t currentTime() const;
    /** currentTime in seconds. */
    double playTime() const;
    /** seek to seconds (truncated to engine time). */
    void seekPlayTime(double seconds);
    /**
     * Seeks to timeline time t: the first clip whose end (running offset + trimDuration) lies
     * strictly past t becomes current, its movie set to its trimStart + (t - offset); playback
     * carries over to it. At or past the total, the clip that played is paused and nothing is
     * current any more: playback has ended.
     */
    void seek(int64_t t);
    /** pause, then nothing current and no clips. */
    void clearPlayer();

    /**
     * One turn of the loop: updatePlayerPlaySegment and updatePlayMovieVolume, then, while
     * playing, the next turn after kLoopIntervalMs (a turn already waiting is dropped). From
     * another thread it only queues itself on the main thread.
     */
    void updatePlayerPlayLoop();
    /** When the current movie has passed cur_movie's trimStop: seek to currentTime. */
    void updatePlayerPlaySegment();
    /**
     * The gain from cur_movie's fades at its movie's time T: (trimStop - T) / fadeOut within the
     * fade-out, (T - trimStart) / fadeIn within the fade-in (which wins when both apply), else
     * 1; clamped to 0..1 and set as the movie's play volume.
     */
    void updatePlayMovieVolume();

    VCMovieList play_movies() const { return m_playMovies; }
    std::shared_ptr<VCMovie> cur_movie() const { return m_curMovie; }
    /** The summed trimDuration of the clips before cur_movie. */
    int64_t cur_movie_offset_time() const { return m_curMovieOffsetTime; }

private:
    struct Guard;
    std::shared_ptr<Guard> m_guard;
    std::unique_ptr<QTimer> m_loopTimer;
    VCMovieList m_playMovies;
    std::shared_ptr<VCMovie> m_curMovie;
    int64_t m_curMovieOffsetTime = 0;
};
