#pragma once

#include "app/AppExtention/Convert/MoviePlayer.h"

#include <cstdint>

/**
 * Plays a list of clips back to back as one timeline: the clips' trimmed lengths laid end to end.
 * One clip plays at a time, as the engine player's segment; reaching the end of its window in
 * preview mode moves on to the next, and the end of the last one starts the list again
 * (timeIsAfterAllMovieTime, which the disc player overrides).
 *
 * Owned by the window that shows the clips. Main thread only.
 */
class MultiMoviePlayer : public MoviePlayer
{
public:
    MultiMoviePlayer() = default;

    /**
     * movies becomes the pieces of the clips, in order: every kept segment of every clip
     * (VCMovie::moviesFromTrimMovies); a clip that is its own decoder stands for itself. Callers
     * seek before they play.
     */
    void playMovies(const VCMovieList &clips);

    /** The pieces played, in timeline order. */
    VCMovieList movies() const { return m_movies; }
    void setMovies(const VCMovieList &movies) { m_movies = movies; }
    /** The summed trimDuration of the pieces before the current one. */
    int64_t movieTimeOffset() const { return m_movieTimeOffset; }

    /** The summed trimDuration of every piece. */
    int64_t duration() const override;
    /** The timeline time: movieTimeOffset + the movie's time - the current piece's trimStart. */
    int64_t currentTime() const override;
    /**
     * Seeks to timeline time t: the first piece whose end (running offset + trimDuration) is at
     * or past t plays (at an exact boundary the earlier piece wins), at its trimStart + (t - its
     * offset). A new piece takes over the playing state of the old one. Past the whole list,
     * timeIsAfterAllMovieTime.
     */
    void seek(int64_t t) override;
    /** NO for two or more pieces; otherwise YES exactly when the current piece has no video. */
    virtual bool showThumbnail() const;

    /** movies = nil, then the inherited clearPlayer. */
    void clearPlayer() override;

    /** Seeks to currentTime, which carries playback into the next piece. */
    void playerIsAfterPreviewTime() override;
    /** Nothing: a piece is entered at its start. */
    void playerIsBeforePreviewTime() override;
    /** Past the last piece: back to 0 when there are pieces (the list loops). */
    virtual void timeIsAfterAllMovieTime();

protected:
    // For a subclass that places the current piece on the timeline itself.
    void setMovieTimeOffset(int64_t offset) { m_movieTimeOffset = offset; }

private:
    VCMovieList m_movies;
    int64_t m_movieTimeOffset = 0;
};
