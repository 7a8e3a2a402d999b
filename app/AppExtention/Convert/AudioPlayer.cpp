#include "app/AppExtention/Convert/AudioPlayer.h"

#include "Reelsmith/LMFunctions.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

// What a loop turn queued from another thread finds of the player: the player while it lives.
struct AudioPlayer::Guard
{
    AudioPlayer *player = nullptr; // main thread only
};

AudioPlayer &AudioPlayer::share()
{
    // Never destroyed: the shared player lives as long as the process, and its timer must not
    // outlive the application object at exit.
    static AudioPlayer *const shared = new AudioPlayer;
    return *shared;
}

AudioPlayer::AudioPlayer()
    : m_guard(std::make_shared<Guard>())
{
    m_guard->player = this;
}

AudioPlayer::~AudioPlayer()
{
    DW_ASSERT_MAIN_THREAD();
    clearPlayer();
    m_loopTimer.reset();
    m_guard->player = nullptr;
}

void AudioPlayer::updatePlayMovies(const VCMovieList &clips)
{
    DW_ASSERT_MAIN_THREAD();
    clearPlayer();
    VCMovieList movies;
    for (const auto &clip : clips) {
        if (clip)
            movies.append(clip);
    }
    if (movies.isEmpty())
        movies.append(VCMovie::movieWithEmptyFFMovie());
    m_playMovies = movies;
}

void AudioPlayer::play()
{
    DW_ASSERT_MAIN_THREAD();
    updatePlayerPlayLoop();
    if (m_curMovie) {
        if (const auto movie = m_curMovie->movie())
            movie->play();
    }
    updatePlayerPlayLoop();
}

void AudioPlayer::pause()
{
    DW_ASSERT_MAIN_THREAD();
    if (!m_curMovie)
        return;
    if (const auto movie = m_curMovie->movie())
        movie->pause();
}

bool AudioPlayer::isPlay() const
{
    if (!m_curMovie)
        return false;
    const auto movie = m_curMovie->movie();
    return movie && movie->isPlay();
}

int64_t AudioPlayer::currentTime() const
{
    if (!m_curMovie)
        return m_curMovieOffsetTime;
    const auto movie = m_curMovie->movie();
    const int64_t movieTime = movie ? movie->currentTime() : m_curMovie->trimStart();
    return movieTime - m_curMovie->trimStart() + m_curMovieOffsetTime;
}

double AudioPlayer::playTime() const
{
    return lm_ff_time_to_double(currentTime());
}

void AudioPlayer::seekPlayTime(double seconds)
{
    seek(int64_t(seconds * double(lm_default_time_base())));
}

void AudioPlayer::seek(int64_t t)
{
    DW_ASSERT_MAIN_THREAD();
    int64_t offset = 0;
    std::shared_ptr<VCMovie> chosen;
    for (const auto &movie : m_playMovies) {
        if (offset + movie->trimDuration() > t) {
            chosen = movie;
            break;
        }
        offset += movie->trimDuration();
    }
    if (!chosen) {
        // The end of the timeline. The movie that played must be paused before it is let go:
        // once nothing is current, nothing could pause it any more.
        pause();
        m_curMovie.reset();
        return;
    }
    if (const auto movie = chosen->movie())
        movie->setCurrentTime(chosen->trimStart() + (t - offset));
    m_curMovieOffsetTime = offset;
    if (isPlay()) {
        pause();
        m_curMovie = chosen;
        play();
    } else {
        m_curMovie = chosen;
    }
}

void AudioPlayer::clearPlayer()
{
    DW_ASSERT_MAIN_THREAD();
    pause();
    m_curMovie.reset();
    m_playMovies.clear();
    m_curMovieOffsetTime = 0;
}

void AudioPlayer::updatePlayerPlayLoop()
{
    if (!platform::isMainThread()) {
        QCoreApplication *app = QCoreApplication::instance();
        DW_ASSERT(app, return );
        std::weak_ptr<Guard> weak = m_guard;
        platform::postToMainThread(app, [weak] {
            const auto guard = weak.lock();
            if (guard && guard->player)
                guard->player->updatePlayerPlayLoop();
        });
        return;
    }
    updatePlayerPlaySegment();
    updatePlayMovieVolume();
    if (!isPlay())
        return;
    if (!m_loopTimer) {
        m_loopTimer = std::make_unique<QTimer>();
        m_loopTimer->setSingleShot(true);
        m_loopTimer->setInterval(kLoopIntervalMs);
        QObject::connect(m_loopTimer.get(), &QTimer::timeout, m_loopTimer.get(), [this] {
            updatePlayerPlayLoop();
        });
    }
    // Restarting drops the turn that was waiting.
    m_loopTimer->start();
}

void AudioPlayer::updatePlayerPlaySegment()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_curMovie)
        return;
    const auto movie = m_curMovie->movie();
    if (movie && movie->currentTime() > m_curMovie->trimStop())
        seek(currentTime());
}

void AudioPlayer::updatePlayMovieVolume()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_curMovie)
        return;
    const auto movie = m_curMovie->movie();
    if (!movie)
        return;
    const int64_t now = movie->currentTime();
    const int64_t fadeIn = m_curMovie->fadeIn();
    const int64_t fadeOut = m_curMovie->fadeOut();
    double volume = 1.0;
    const int64_t left = m_curMovie->trimStop() - now;
    if (left < fadeOut)
        volume = double(left) / double(std::max<int64_t>(fadeOut, 1));
    const int64_t played = now - m_curMovie->trimStart();
    if (played < fadeIn)
        volume = double(played) / double(std::max<int64_t>(fadeIn, 1));
    movie->setPlayVolume(float(std::clamp(volume, 0.0, 1.0)));
}
