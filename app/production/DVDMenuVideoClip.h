#pragma once

#include "app/AppExtention/Convert/ClipDecoder.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/production/DVDMenuVideo.h"

#include <memory>

namespace Discwright {

/**
 * A menu page video as the players play it: a clip over the page's duration that is its own
 * decoder, its clock, play and pause, frames and music sync taken from the page video. The players
 * play such a clip through ClipDecoder rather than through its engine movie, so the page's
 * picture, drawn by the page, shows where a file's frames would; each tick of the player keeps the
 * page's music in step with the page clock.
 *
 * Made by DVDPlayer for each page it plays; held by the player's clip list. Main thread, like the
 * players; the frame is drawn on the calling thread.
 */
class DVDMenuVideoClip : public VCMovie, public ClipDecoder
{
public:
    explicit DVDMenuVideoClip(DVDMenuVideoRef video);
    ~DVDMenuVideoClip() override;

    DVDMenuVideoRef menuVideo() const { return m_video; }

    int64_t currentTime() const override;
    void setCurrentTime(int64_t t) override;
    // The page video's own timeline: one hour, far past any page.
    int64_t duration() const override;
    void play() override;
    void pause() override;
    bool isPlay() const override;
    // The page's music keeps the volume its fades give it.
    void setPlayVolume(float) override {}
    bool hasVideo() const override { return true; }
    bool hasAudio() const override { return true; }
    void decodeCurrentImageWithAction(const FrameAction &action) override;
    void updatePlayerPlaySegment() override;

private:
    DVDMenuVideoRef m_video;
};

} // namespace Discwright
