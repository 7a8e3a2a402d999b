#pragma once

#include <QLoggingCategory>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class LMFFMovie;
class LMMovieImage;
class LMMoviePlayerDelegate;
class LMSegmentMovie;
class QTimer;

namespace Reelsmith {
// discwright.reelsmith.player: the players (segments taken, play, pause, frame requests).
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)
} // namespace Reelsmith

/**
 * Drives the picture side of playing a segment: a repeating 0.05 s timer on the main event loop
 * that, while this player plays, keeps the segment's movie within its bounds (the three hooks
 * below, which the application's players override to loop, stop or move on), sets the audio gain
 * from the segment's fades, and asks the movie for the frame at its clock; while paused it asks
 * only after a change (a seek, a pause, a new segment). When the frame has been decoded the
 * delegate is told on the main thread, at most one notification waiting at a time.
 *
 * The player owns its timer, which stops when the player goes. Frames are asked for without
 * waiting, at most one request in flight: a tick that finds one still running skips (a change
 * stays marked for the next tick), so a busy decode queue never stalls the event loop. A
 * completion or notification that arrives after the player has gone is dropped.
 *
 * Sound is the movie's own (its audio output); the player only starts, stops and sets its gain.
 *
 * Created, used and destroyed on the main thread (it needs a QCoreApplication). The frame
 * completion runs on the movie's decode queue and touches only the shared state of the request.
 */
class LMMoviePlayer
{
public:
    /** The refresh interval of the timer. */
    static constexpr int kRefreshIntervalMs = 50;
    /** In preview mode the playhead may lie this much before the segment's start. */
    static constexpr int64_t kPreviewLeadUs = 100000;

    /** Takes the next player number and starts the timer. */
    LMMoviePlayer();
    /** Clears the delegate and the segment; the timer stops; later completions are dropped. */
    virtual ~LMMoviePlayer();
    LMMoviePlayer(const LMMoviePlayer &) = delete;
    LMMoviePlayer &operator=(const LMMoviePlayer &) = delete;

    std::shared_ptr<LMSegmentMovie> segmentMovie() const { return m_segmentMovie; }
    /** Takes seg (null: none) and marks the frame for fetching. */
    void setSegmentMovie(std::shared_ptr<LMSegmentMovie> seg);
    /** The segment's movie; null without one. */
    std::shared_ptr<LMFFMovie> ffmovie() const;

    /** Not owned: a delegate clears itself (setDelegate(nullptr)) before it goes. */
    LMMoviePlayerDelegate *delegate() const { return m_delegate; }
    void setDelegate(LMMoviePlayerDelegate *delegate) { m_delegate = delegate; }

    /** Preview mode: playback kept within the segment, its fades applied to the gain. */
    bool isApplyEffect() const { return m_isApplyEffect; }
    void setIsApplyEffect(bool on) { m_isApplyEffect = on; }

    /** When set, currentMovieImage() first copies the pixels out of the movie's frame buffer. */
    bool copyMovieImageData() const { return m_copyMovieImageData; }
    void setCopyMovieImageData(bool on) { m_copyMovieImageData = on; }

    /** This player's number (1 for the first player of the process). */
    int32_t player_id() const { return m_playerId; }

    /** Marks this player as the segment's player, then starts the movie. */
    virtual void play();
    /** The movie plays and no other player has played the segment since this one did. */
    virtual bool isPlay() const;
    /** Stops the movie and marks the frame for fetching. */
    virtual void pause();
    /** Marks the frame for fetching at the next tick, even while paused. */
    void need_update_image() { m_needUpdate = true; }

    /** The movie's; 0 without one. */
    virtual int64_t duration() const;
    virtual int64_t currentTime() const;
    /** Seeks the movie (engine time) and marks the frame for fetching. */
    virtual void setCurrentTime(int64_t t);

    // The hooks of updatePlayerPlaySegment.
    /** The playhead passed the movie's end (outside preview mode): back to 0. */
    virtual void playerTimeIsToEnd();
    /** The playhead passed the segment's stop (preview mode): back to its start. */
    virtual void playerIsAfterPreviewTime();
    /** The playhead lies more than kPreviewLeadUs before the segment's start: to its start. */
    virtual void playerIsBeforePreviewTime();

    /** Keeps the playhead within bounds; see the hooks. */
    virtual void updatePlayerPlaySegment();
    /**
     * In preview mode the segment's gain at the playhead, clamped to 0..1 (not a number: 0);
     * otherwise 1. Set as the movie's play volume.
     */
    virtual void updatePlayerVolume();
    /**
     * Asks for the frame at the movie's clock without waiting, unless a request is still in
     * flight (a pending change then stays marked). Without video: no frame, the delegate is told
     * at once. Nothing while the movie is being exported.
     */
    virtual void updateCurrentImage();
    /** One timer tick: while playing, bounds, gain and frame; paused, the frame if marked. */
    virtual void timerUpdateImageMethod();

    /** The last frame (a referenced image, copied first with copyMovieImageData); may be null. */
    std::shared_ptr<LMMovieImage> currentMovieImage() const;

    /** Main thread: tells the delegate that a new frame is ready. */
    virtual void imageDidFlushInPlayer();

    /** Drops the segment and the frame. */
    virtual void clearPlayer();
    void clearPlayerObjs() { clearPlayer(); }

    /** Frame requests made to the movie since creation; for diagnostics. */
    int64_t frameRequestCount() const { return m_frameRequests; }
    /** A frame request is running on the movie's decode queue. */
    bool isFrameRequestInFlight() const;

private:
    // What a frame request shares with the player: the request and the notification outlive the
    // player only through a weak reference to it.
    struct Shared;
    static void frameDelivered(const std::shared_ptr<Shared> &shared,
                               uint64_t generation,
                               const std::shared_ptr<LMMovieImage> &image);
    static void imageDidFlushInPlayerInDecodeQueue(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QTimer> m_timer;
    std::shared_ptr<LMSegmentMovie> m_segmentMovie;
    LMMoviePlayerDelegate *m_delegate = nullptr;
    int32_t m_playerId = 0;
    bool m_isApplyEffect = false;
    bool m_copyMovieImageData = false;
    bool m_needUpdate = false;
    int64_t m_frameRequests = 0;
};
