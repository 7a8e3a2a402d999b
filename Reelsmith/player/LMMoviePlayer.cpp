#include "Reelsmith/player/LMMoviePlayer.h"

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "Reelsmith/player/LMMoviePlayerDelegate.h"
#include "Reelsmith/segment/LMSegmentMovie.h"
#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace Reelsmith {
Q_LOGGING_CATEGORY(lcPlayer, "discwright.reelsmith.player", QtWarningMsg)
} // namespace Reelsmith

// The state a frame request and its notification share with the player. The player holds it;
// the request (on the decode queue) and the queued notification (on the main thread) hold only
// weak references, so once the player is gone they find nothing and stop.
struct LMMoviePlayer::Shared
{
    // Main thread only: set while the player lives, cleared by its destructor.
    LMMoviePlayer *player = nullptr;
    // A notification waits on the main thread.
    std::atomic<bool> flushPending{false};
    // A frame request waits or runs on the decode queue.
    std::atomic<bool> requestInFlight{false};

    // Guards the two below. The generation grows whenever the segment changes, so a frame of the
    // previous segment that arrives late is not shown.
    std::mutex imageLock;
    uint64_t generation = 0;
    std::shared_ptr<LMMovieImage> movieImage;
};

namespace {

std::atomic<uint32_t> g_lastPlayerId{0};

} // namespace

LMMoviePlayer::LMMoviePlayer()
    : m_shared(std::make_shared<Shared>())
    , m_playerId(int32_t(++g_lastPlayerId))
{
    DW_ASSERT_MAIN_THREAD();
    m_shared->player = this;
    m_timer = std::make_unique<QTimer>();
    m_timer->setInterval(kRefreshIntervalMs);
    // The timer is the connection's context: it goes with the player, and the connection with it.
    QObject::connect(
        m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { timerUpdateImageMethod(); });
    m_timer->start();
}

LMMoviePlayer::~LMMoviePlayer()
{
    DW_ASSERT_MAIN_THREAD();
    m_delegate = nullptr;
    m_timer.reset();
    LMMoviePlayer::clearPlayer();
    m_shared->player = nullptr;
}

void LMMoviePlayer::setSegmentMovie(std::shared_ptr<LMSegmentMovie> seg)
{
    DW_ASSERT_MAIN_THREAD();
    {
        std::lock_guard guard(m_shared->imageLock);
        ++m_shared->generation;
    }
    m_segmentMovie = std::move(seg);
    m_needUpdate = true;
}

std::shared_ptr<LMFFMovie> LMMoviePlayer::ffmovie() const
{
    return m_segmentMovie ? m_segmentMovie->ffmovie() : nullptr;
}

void LMMoviePlayer::play()
{
    DW_ASSERT_MAIN_THREAD();
    const auto movie = ffmovie();
    if (!movie)
        return;
    m_segmentMovie->setPlayer_id(m_playerId);
    movie->play();
    qCDebug(Reelsmith::lcPlayer, "player %d plays", int(m_playerId));
}

bool LMMoviePlayer::isPlay() const
{
    const auto movie = ffmovie();
    return movie && movie->isPlay() && m_segmentMovie->player_id() == m_playerId;
}

void LMMoviePlayer::pause()
{
    DW_ASSERT_MAIN_THREAD();
    if (const auto movie = ffmovie())
        movie->pause();
    m_needUpdate = true;
}

int64_t LMMoviePlayer::duration() const
{
    const auto movie = ffmovie();
    return movie ? movie->duration() : 0;
}

int64_t LMMoviePlayer::currentTime() const
{
    const auto movie = ffmovie();
    return movie ? movie->currentTime() : 0;
}

void LMMoviePlayer::setCurrentTime(int64_t t)
{
    DW_ASSERT_MAIN_THREAD();
    if (const auto movie = ffmovie())
        movie->setCurrentTime(t);
    m_needUpdate = true;
}

void LMMoviePlayer::playerTimeIsToEnd()
{
    setCurrentTime(0);
}

void LMMoviePlayer::playerIsAfterPreviewTime()
{
    if (m_segmentMovie)
        setCurrentTime(m_segmentMovie->start());
}

void LMMoviePlayer::playerIsBeforePreviewTime()
{
    if (m_segmentMovie)
        setCurrentTime(m_segmentMovie->start());
}

void LMMoviePlayer::updatePlayerPlaySegment()
{
    const auto movie = ffmovie();
    if (!movie)
        return;
    const int64_t t = movie->currentTime();
    if (m_isApplyEffect) {
        if (t > m_segmentMovie->stop())
            playerIsAfterPreviewTime();
        else if (t < m_segmentMovie->start() - kPreviewLeadUs)
            playerIsBeforePreviewTime();
    } else if (t > movie->duration()) {
        playerTimeIsToEnd();
    }
}

void LMMoviePlayer::updatePlayerVolume()
{
    const auto movie = ffmovie();
    if (!movie)
        return;
    float gain = 1.0f;
    if (m_isApplyEffect) {
        gain = m_segmentMovie->audioVolumeAtTime(movie->currentTime());
        gain = std::isnan(gain) ? 0.0f : std::clamp(gain, 0.0f, 1.0f);
    }
    movie->setPlayVolume(gain);
}

void LMMoviePlayer::updateCurrentImage()
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto movie = ffmovie();
    if (!movie || !movie->hasVideo()) {
        m_needUpdate = false;
        {
            std::lock_guard guard(m_shared->imageLock);
            m_shared->movieImage.reset();
        }
        imageDidFlushInPlayer();
        return;
    }
    if (movie->exportMovie()) {
        // The movie hands out no frames while it is converted.
        m_needUpdate = false;
        return;
    }
    // One request at a time: a tick that finds the last one still running leaves any pending
    // change marked, so the frame after it is fetched by a later tick.
    if (m_shared->requestInFlight.exchange(true))
        return;
    m_needUpdate = false;
    ++m_frameRequests;
    uint64_t generation;
    {
        std::lock_guard guard(m_shared->imageLock);
        generation = m_shared->generation;
    }
    std::weak_ptr<Shared> weak = m_shared;
    movie->decodeImageAtTimeActionWaitUntilDone(
        LMFFMovie::kCurrentTime,
        [weak, generation](const std::shared_ptr<LMMovieImage> &image) {
            if (const auto shared = weak.lock())
                frameDelivered(shared, generation, image);
        },
        false);
}

void LMMoviePlayer::frameDelivered(const std::shared_ptr<Shared> &shared,
                                   uint64_t generation,
                                   const std::shared_ptr<LMMovieImage> &image)
{
    // On the movie's decode queue.
    bool current;
    {
        std::lock_guard guard(shared->imageLock);
        current = shared->generation == generation;
        if (current) {
            if (image && shared->movieImage)
                shared->movieImage->loadReferencedMovieImage(*image);
            else
                shared->movieImage = image;
        }
    }
    shared->requestInFlight.store(false);
    if (current)
        imageDidFlushInPlayerInDecodeQueue(shared);
}

void LMMoviePlayer::imageDidFlushInPlayerInDecodeQueue(const std::shared_ptr<Shared> &shared)
{
    // Frames that arrive faster than the main thread takes them collapse into one notification.
    if (shared->flushPending.exchange(true))
        return;
    QCoreApplication *app = QCoreApplication::instance();
    DW_ASSERT(app, shared->flushPending.store(false); return );
    std::weak_ptr<Shared> weak = shared;
    platform::postToMainThread(app, [weak] {
        const auto shared = weak.lock();
        if (!shared)
            return;
        shared->flushPending.store(false);
        if (shared->player)
            shared->player->imageDidFlushInPlayer();
    });
}

void LMMoviePlayer::timerUpdateImageMethod()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (isPlay()) {
        updatePlayerPlaySegment();
        updatePlayerVolume();
        updateCurrentImage();
    } else if (m_needUpdate) {
        updateCurrentImage();
    }
}

std::shared_ptr<LMMovieImage> LMMoviePlayer::currentMovieImage() const
{
    // Held while copying, so that a frame arriving meanwhile cannot mix into the copy.
    std::lock_guard guard(m_shared->imageLock);
    if (!m_shared->movieImage)
        return nullptr;
    if (m_copyMovieImageData)
        m_shared->movieImage->cache_data_image_from_referenced();
    return m_shared->movieImage->getReferencedMovieImage();
}

void LMMoviePlayer::imageDidFlushInPlayer()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_delegate)
        m_delegate->imageDidFlushInPlayer(this);
}

void LMMoviePlayer::clearPlayer()
{
    DW_ASSERT_MAIN_THREAD();
    {
        std::lock_guard guard(m_shared->imageLock);
        ++m_shared->generation;
        m_shared->movieImage.reset();
    }
    m_segmentMovie.reset();
}

bool LMMoviePlayer::isFrameRequestInFlight() const
{
    return m_shared->requestInFlight.load();
}
