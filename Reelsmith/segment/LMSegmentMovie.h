#pragma once

#include "Reelsmith/segment/LMSegmentMovieFade.h"

#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class LMFFMedia;
class LMFFMovie;
class LMMediaSource;

namespace Reelsmith {
// discwright.reelsmith.segment: segments, their fades and cue sheets.
Q_DECLARE_LOGGING_CATEGORY(lcSegment)
} // namespace Reelsmith

/**
 * A stretch of one movie: an LMFFMovie with a start and a stop on its timeline and the audio
 * fades applied there. The players play segments, the music converter processes them, and the
 * application's edited clip derives from this class and adds the clip's edits.
 *
 * Times are engine time (microseconds on the movie's timeline). The movie is shared: a segment
 * keeps it alive, and several segments may cut the same movie.
 *
 * Held by std::shared_ptr. The settings are guarded by the segment's own lock: the editors set
 * them on the main thread while the player and converters read them and process audio on the
 * movie's decode queue or a converter's thread.
 */
class LMSegmentMovie
{
public:
    // Zoom types of the frame images that a segment picks for its movie.
    static constexpr int32_t kZoomDefault = 2;
    static constexpr int32_t kZoom16x9 = 3;
    static constexpr int32_t kZoom4x3 = 4;

    /**
     * Makes the segment object over a freshly opened movie, so that a subclass (the application's
     * edited clip) comes out of the same constructors; the default makes a plain segment.
     */
    using SegmentMaker = std::function<std::shared_ptr<LMSegmentMovie>(std::shared_ptr<LMFFMovie>)>;

    /** A segment over the whole file; null when the file has neither audio nor video. */
    static std::shared_ptr<LMSegmentMovie> movieWithPath(const QString &path);
    /**
     * A segment over the source's medias, sized for DVD sources (updateDVDVideoSize). Null, with
     * the log line "ignore vob", for a ".vob" path (any case): single VOB files are read through
     * their DVD title instead.
     */
    static std::shared_ptr<LMSegmentMovie>
    movieWithSource(const std::shared_ptr<LMMediaSource> &source);
    /** movieWithSource, with the segment object made by make (a null maker makes a plain one). */
    static std::shared_ptr<LMSegmentMovie>
    movieWithSource(const std::shared_ptr<LMMediaSource> &source, const SegmentMaker &make);
    /**
     * A new movie opened over medias, upright (a movie turned a quarter gets its output size
     * swapped), as a segment over its whole duration; null without audio or video.
     */
    static std::shared_ptr<LMSegmentMovie>
    movieWithMedias(const QList<std::shared_ptr<LMFFMedia>> &medias);
    static std::shared_ptr<LMSegmentMovie>
    movieWithMedias(const QList<std::shared_ptr<LMFFMedia>> &medias, const SegmentMaker &make);
    /** start 0, stop the movie's duration. A null movie gives a segment without a movie. */
    static std::shared_ptr<LMSegmentMovie> movieWithFFmovie(std::shared_ptr<LMFFMovie> movie);

    LMSegmentMovie() = default;
    explicit LMSegmentMovie(std::shared_ptr<LMFFMovie> movie);
    virtual ~LMSegmentMovie();
    LMSegmentMovie(const LMSegmentMovie &) = delete;
    LMSegmentMovie &operator=(const LMSegmentMovie &) = delete;

    std::shared_ptr<LMFFMovie> ffmovie() const;
    /** Replaces the movie (the edited clip does when its source file changes); times are kept. */
    void updateFFMovie(std::shared_ptr<LMFFMovie> movie);

    int64_t start() const;
    void setStart(int64_t t);
    int64_t stop() const;
    void setStop(int64_t t);
    /** Length of the fade-in at start; 0 = none. */
    int64_t fadeIn() const;
    void setFadeIn(int64_t length);
    /** Length of the fade-out before stop; 0 = none. */
    int64_t fadeOut() const;
    void setFadeOut(int64_t length);
    /** Further ramps, applied together with the two fades (gains multiply). */
    QList<LMSegmentMovieFade> audioFades() const;
    void setAudioFades(const QList<LMSegmentMovieFade> &fades);
    /** The player that last started this segment (written by the player). */
    int32_t player_id() const;
    void setPlayer_id(int32_t id);

    /** stop - start; 0 when stop is before start. */
    int64_t duration() const;

    /**
     * The zoom type that fits the movie into a DVD frame: for a DVD source 4 (4:3) when its title
     * set's display aspect is "4:3", else 3 (16:9); 2 for every other source.
     */
    int32_t defaultZoomType() const;
    /**
     * For a DVD source only: the movie's output size becomes 640 x 480 for a 4:3 title set and
     * 852 x 480 otherwise, and its zoom type defaultZoomType().
     */
    void updateDVDVideoSize();
    /**
     * The zoom type this segment chose for its movie (updateDVDVideoSize), also handed to the
     * movie's picture settings; 0 when it chose none (the movie keeps its own then).
     */
    int32_t zoomType() const;
    /**
     * The rotation (degrees, counter-clockwise) that puts the movie upright, chosen at opening
     * and handed to the movie's picture settings, so that its frames are drawn upright.
     */
    int rotation() const;

    /**
     * The ramps in force, rebuilt on every call: the fade-in, the fade-out (both shrunk in
     * proportion when together longer than the segment), then audioFades in order.
     */
    QList<LMSegmentMovieFade> getEffectedFades() const;
    /** The product of the gains of every ramp in force at t; 1.0 without ramps. */
    float audioVolumeAtTime(int64_t t) const;
    /**
     * Applies the gain at time (that of the buffer's first sample, taken once for the whole
     * buffer) to size bytes of interleaved 32-bit float samples in place; a gain within 0.01 of
     * 1.0 leaves them untouched.
     */
    void processAudio(float *samples, int64_t size, int64_t time) const;

private:
    // The last media with video and its source; null when the movie has no video.
    std::shared_ptr<LMMediaSource> lastVideoSource() const;

    mutable std::mutex m_lock;
    std::shared_ptr<LMFFMovie> m_movie;
    int64_t m_start = 0;
    int64_t m_stop = 0;
    int64_t m_fadeIn = 0;
    int64_t m_fadeOut = 0;
    QList<LMSegmentMovieFade> m_audioFades;
    int32_t m_playerId = 0;
    int32_t m_zoomType = 0;
    int m_rotation = 0;
};
