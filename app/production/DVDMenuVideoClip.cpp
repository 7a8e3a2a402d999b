#include "app/production/DVDMenuVideoClip.h"

namespace Discwright {

DVDMenuVideoClip::DVDMenuVideoClip(DVDMenuVideoRef video)
    : VCMovie(video ? video->audio() : nullptr)
    , m_video(std::move(video))
{
    setTrimStart(0);
    setTrimStop(m_video ? m_video->menuDurationUs() : 0);
}

DVDMenuVideoClip::~DVDMenuVideoClip() = default;

int64_t DVDMenuVideoClip::currentTime() const
{
    return m_video ? m_video->currentTime() : 0;
}

void DVDMenuVideoClip::setCurrentTime(int64_t t)
{
    if (m_video)
        m_video->setCurrentTime(t);
}

int64_t DVDMenuVideoClip::duration() const
{
    return DVDMenuVideo::kVideoMediaMaxTimeUs;
}

void DVDMenuVideoClip::play()
{
    if (m_video)
        m_video->play();
}

void DVDMenuVideoClip::pause()
{
    if (m_video)
        m_video->pause();
}

bool DVDMenuVideoClip::isPlay() const
{
    return m_video && m_video->isPlay();
}

void DVDMenuVideoClip::decodeCurrentImageWithAction(const FrameAction &action)
{
    if (!m_video) {
        if (action)
            action({});
        return;
    }
    m_video->decodeCurrentImageWithAction([action](const DVDMenuVideoFrameImageRef &frame) {
        if (action)
            action(frame ? frame->currentEffectImage() : Reelsmith::imaging::Image());
    });
}

void DVDMenuVideoClip::updatePlayerPlaySegment()
{
    if (m_video)
        m_video->updatePlayerPlaySegment(false);
}

} // namespace Discwright
