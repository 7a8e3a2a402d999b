#pragma once

// Clips for the players' tests: each call opens a new engine movie over a file the ffmpeg program
// made (testsrc2 with a sine tone), so that no two tests share a clock. Sound goes to SDL's silent
// "dummy" driver, which still pulls samples in real time, so playback clocks advance as on a
// machine with a sound card.

#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "testsupport/EventLoop.h"
#include "testsupport/MediaFixtures.h"

#include <QtGlobal>
#include <cstdint>
#include <gtest/gtest.h>

namespace players_testing {

inline constexpr int64_t kSecond = 1000000;
// Generous: decoding under the sanitizers on a busy machine is slow.
inline constexpr int kPlaybackTimeoutMs = 20000;

// The event loop and the silent audio driver; call first in every test.
inline void setUpPlayerTest()
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    fixtures::application();
}

// A new engine movie over path; a test failure when the path is empty or does not open.
VCMovieRef openClip(const QString &path);

// A new clip over seconds (4 or 6) of testsrc2 with a tone, its window trimmed to [start, stop]
// seconds when given.
VCMovieRef testClip(int seconds, double start = -1.0, double stop = -1.0);

// A clip of 2 s of a tone and no picture.
VCMovieRef audioOnlyClip();

// Stops a clip's engine movie and lets its queue drain, so that a test leaves nothing running.
void settle(const VCMovieRef &clip);

// A players' test that opens its clips through clip(): each is settled when the test ends.
class PlayerClipTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    VCMovieRef clip(int seconds, double start = -1.0, double stop = -1.0);

    VCMovieList opened;
};

} // namespace players_testing
