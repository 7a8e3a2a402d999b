#include "app/AppExtention/Convert/MoviePlayer.h"

#include "Reelsmith/frames/LMMovieImage.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/ClipDecoder.h"
#include "platform/MainThread.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <mutex>

// The last frame of a clip that decodes itself. Its decoder may hand the frame over on another
// thread; that side holds only a weak reference, so a frame that arrives after the player has
// gone is dropped.
struct MoviePlayer::ClipFrame
{
    // Main thread only: set while the player lives.
    MoviePlayer *player = nullptr;
    std::mutex lock;
    Reelsmith::imaging::Image image; // guarded by lock
    // Grows whenever the clip changes, so that a late frame of the previous clip is not shown.
    uint64_t generation = 0; // guarded by lock
};

MoviePlayer::MoviePlayer()
    : m_clipFrame(std::make_shared<ClipFrame>())
{
    m_clipFrame->player = this;
}

MoviePlayer::~MoviePlayer()
{
    DW_ASSERT_MAIN_THREAD();
    if (MoviePlayer::isPlay())
        MoviePlayer::pause();
    m_clipFrame->player = nullptr;
}

std::shared_ptr<VCMovie> MoviePlayer::vcMovie() const
{
    return std::dynamic_pointer_cast<VCMovie>(segmentMovie());
}

void MoviePlayer::setVcMovie(std::shared_ptr<VCMovie> movie)
{
    DW_ASSERT_MAIN_THREAD();
    {
        std::lock_guard guard(m_clipFrame->lock);
        ++m_clipFrame->generation;
        m_clipFrame->image = {};
    }
    setSegmentMovie(std::move(movie));
    m_clipNeedsFrame = true;
}

std::shared_ptr<ClipDecoder> MoviePlayer::clipDecoder() const
{
    return std::dynamic_pointer_cast<ClipDecoder>(segmentMovie());
}

void MoviePlayer::seek(int64_t t)
{
    setCurrentTime(t);
}

void MoviePlayer::flushPlayImage()
{
    if (!isPlay())
        pause();
}

void MoviePlayer::stop()
{
    pause();
}

bool MoviePlayer::clipHasVideo() const
{
    if (const auto decoder = clipDecoder())
        return decoder->hasVideo();
    if (const auto clip = vcMovie())
        return clip->hasVideo();
    const auto movie = ffmovie();
    return movie && movie->hasVideo();
}

Reelsmith::imaging::Image MoviePlayer::currentFrameImage() const
{
    if (clipDecoder()) {
        std::lock_guard guard(m_clipFrame->lock);
        return m_clipFrame->image;
    }
    const auto image = currentMovieImage();
    return image ? image->currentEffectImage() : Reelsmith::imaging::Image();
}

void MoviePlayer::play()
{
    DW_ASSERT_MAIN_THREAD();
    const auto decoder = clipDecoder();
    if (!decoder) {
        LMMoviePlayer::play();
        return;
    }
    segmentMovie()->setPlayer_id(player_id());
    decoder->play();
}

bool MoviePlayer::isPlay() const
{
    const auto decoder = clipDecoder();
    if (!decoder)
        return LMMoviePlayer::isPlay();
    return decoder->isPlay() && segmentMovie()->player_id() == player_id();
}

void MoviePlayer::pause()
{
    DW_ASSERT_MAIN_THREAD();
    const auto decoder = clipDecoder();
    if (!decoder) {
        LMMoviePlayer::pause();
        return;
    }
    decoder->pause();
    m_clipNeedsFrame = true;
}

int64_t MoviePlayer::duration() const
{
    return movieDuration();
}

int64_t MoviePlayer::currentTime() const
{
    return movieCurrentTime();
}

void MoviePlayer::setCurrentTime(int64_t t)
{
    DW_ASSERT_MAIN_THREAD();
    const auto decoder = clipDecoder();
    if (!decoder) {
        LMMoviePlayer::setCurrentTime(t);
        return;
    }
    decoder->setCurrentTime(t);
    m_clipNeedsFrame = true;
}

int64_t MoviePlayer::movieCurrentTime() const
{
    if (const auto decoder = clipDecoder())
        return decoder->currentTime();
    return LMMoviePlayer::currentTime();
}

int64_t MoviePlayer::movieDuration() const
{
    if (const auto decoder = clipDecoder())
        return decoder->duration();
    return LMMoviePlayer::duration();
}

void MoviePlayer::updatePlayerPlaySegment()
{
    const auto decoder = clipDecoder();
    if (!decoder) {
        LMMoviePlayer::updatePlayerPlaySegment();
        return;
    }
    // The engine player's rule, on the clip's own clock.
    const auto segment = segmentMovie();
    const int64_t t = decoder->currentTime();
    if (isApplyEffect()) {
        if (t > segment->stop())
            playerIsAfterPreviewTime();
        else if (t < segment->start() - kPreviewLeadUs)
            playerIsBeforePreviewTime();
    } else if (t > decoder->duration()) {
        playerTimeIsToEnd();
    }
}

void MoviePlayer::updatePlayerVolume()
{
    const auto decoder = clipDecoder();
    if (!decoder) {
        LMMoviePlayer::updatePlayerVolume();
        return;
    }
    float gain = 1.0f;
    if (isApplyEffect()) {
        gain = segmentMovie()->audioVolumeAtTime(decoder->currentTime());
        gain = std::isnan(gain) ? 0.0f : std::clamp(gain, 0.0f, 1.0f);
    }
    decoder->setPlayVolume(gain);
}

void MoviePlayer::updateCurrentImage()
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto decoder = clipDecoder();
    if (!decoder) {
        LMMoviePlayer::updateCurrentImage();
        return;
    }
    m_clipNeedsFrame = false;
    if (!decoder->hasVideo()) {
        {
            std::lock_guard guard(m_clipFrame->lock);
            m_clipFrame->image = {};
        }
        imageDidFlushInPlayer();
        return;
    }
    uint64_t generation;
    {
        std::lock_guard guard(m_clipFrame->lock);
        generation = m_clipFrame->generation;
    }
    std::weak_ptr<ClipFrame> weak = m_clipFrame;
    decoder->decodeCurrentImageWithAction(
        [weak, generation](const Reelsmith::imaging::Image &image) {
            const auto frame = weak.lock();
            if (!frame)
                return;
            {
                std::lock_guard guard(frame->lock);
                if (frame->generation != generation)
                    return;
                frame->image = image;
            }
            if (platform::isMainThread()) {
                if (frame->player)
                    frame->player->imageDidFlushInPlayer();
                return;
            }
            QCoreApplication *app = QCoreApplication::instance();
            if (!app)
                return;
            platform::postToMainThread(app, [weak] {
                const auto frame = weak.lock();
                if (frame && frame->player)
                    frame->player->imageDidFlushInPlayer();
            });
        });
}

void MoviePlayer::timerUpdateImageMethod()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!clipDecoder()) {
        LMMoviePlayer::timerUpdateImageMethod();
        return;
    }
    if (isPlay()) {
        updatePlayerPlaySegment();
        updatePlayerVolume();
        updateCurrentImage();
    } else if (m_clipNeedsFrame) {
        updateCurrentImage();
    }
}

void MoviePlayer::clearPlayer()
{
    DW_ASSERT_MAIN_THREAD();
    if (MoviePlayer::isPlay())
        MoviePlayer::pause();
    {
        std::lock_guard guard(m_clipFrame->lock);
        ++m_clipFrame->generation;
        m_clipFrame->image = {};
    }
    LMMoviePlayer::clearPlayer();
}
