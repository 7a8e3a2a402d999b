#pragma once

#include "app/AppExtention/Convert/MoviePlayer.h"
#include "app/AppExtention/Convert/MovieTrimItem.h"

#include <cstdint>

/**
 * The video editor's player: plays the clip being edited over its window in the movie
 * [oldMovieTrimStart, oldMovieTrimStop], which is this player's timeline (0 at the window's
 * start). In preview mode it plays only the kept trims (the clip's validTrimArray, whose times
 * count from the window's start): it jumps over each cut to the next trim and loops from the
 * last trim to the first. Otherwise it plays the whole window and restarts at its start.
 *
 * Owned by the video editor. Main thread only.
 */
class VideoEditPlayer : public MoviePlayer
{
public:
    /** A playhead this close before a trim's start is not moved to it. */
    static constexpr int64_t kTrimLeadUs = 10000;

    VideoEditPlayer() = default;

    /** The trim the playhead is in (or heads for); set by every tick while playing. */
    MovieTrimItemRef currentTrim() const { return m_currentTrim; }
    void setCurrentTrim(const MovieTrimItemRef &trim) { m_currentTrim = trim; }
    /** The clip's window in its movie (engine time), set by the video editor. */
    int64_t oldMovieTrimStart() const { return m_oldMovieTrimStart; }
    void setOldMovieTrimStart(int64_t t) { m_oldMovieTrimStart = t; }
    int64_t oldMovieTrimStop() const { return m_oldMovieTrimStop; }
    void setOldMovieTrimStop(int64_t t) { m_oldMovieTrimStop = t; }

    /** The inherited seek to oldMovieTrimStart + t. */
    void seek(int64_t t) override;
    /** The movie's time - oldMovieTrimStart. */
    int64_t currentTime() const override;
    /** oldMovieTrimStop - oldMovieTrimStart. */
    int64_t duration() const override;

    /** Past the window's end: back to its start. */
    void playerTimeIsToEnd() override;
    /** Past the current trim's end: to the first trim's start (loop over the kept pieces). */
    void playerIsAfterPreviewTime() override;
    /** Before the current trim's start: to its start (jump over a cut). */
    void playerIsBeforePreviewTime() override;
    /**
     * Every tick while playing, with T the movie's time and W = oldMovieTrimStart: currentTrim
     * becomes the first trim with T <= its stopTime + W (the last trim when none is). Preview: T
     * past currentTrim's stop -> playerIsAfterPreviewTime; else T more than kTrimLeadUs before
     * its start -> playerIsBeforePreviewTime. Otherwise: T past oldMovieTrimStop ->
     * playerTimeIsToEnd.
     */
    void updatePlayerPlaySegment() override;

private:
    MovieTrimItemRef m_currentTrim;
    int64_t m_oldMovieTrimStart = 0;
    int64_t m_oldMovieTrimStop = 0;
};
