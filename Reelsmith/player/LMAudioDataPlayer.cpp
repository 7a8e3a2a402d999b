#include "Reelsmith/player/LMAudioDataPlayer.h"

#include "Reelsmith/audio/LMOutputAudioGraph.h"
#include "Reelsmith/player/LMAudioDataPlayerSource.h"

#include <algorithm>

LMAudioDataPlayer &LMAudioDataPlayer::share()
{
    // Never destroyed: the render thread may still run while the process exits.
    static LMAudioDataPlayer *const shared = new LMAudioDataPlayer;
    return *shared;
}

LMAudioDataPlayer::LMAudioDataPlayer()
    : m_audioOutputGraph(std::make_unique<LMOutputAudioGraph>())
    , m_sources(std::make_shared<const SourceList>())
    , m_refill(size_t(kRefillFrames) * LMOutputAudioGraph::kChannels)
    , m_scratch(size_t(kRefillFrames) * LMOutputAudioGraph::kChannels)
{
    m_audioOutputGraph->setDelegate(this);
}

LMAudioDataPlayer::~LMAudioDataPlayer()
{
    if (isPlay())
        pause();
    // Returns once no render cycle is inside this mixer.
    m_audioOutputGraph->setDelegate(nullptr);
    m_audioOutputGraph.reset();
}

void LMAudioDataPlayer::play()
{
    m_audioOutputGraph->start();
}

void LMAudioDataPlayer::pause()
{
    m_audioOutputGraph->stop();
}

bool LMAudioDataPlayer::isPlay() const
{
    return m_audioOutputGraph->isStart();
}

void LMAudioDataPlayer::pauseIfFree()
{
    if (sources()->empty() && isPlay())
        pause();
}

std::shared_ptr<const LMAudioDataPlayer::SourceList> LMAudioDataPlayer::sources() const
{
    std::lock_guard guard(m_sourcesLock);
    return m_sources;
}

void LMAudioDataPlayer::attachAudioSource(const Source &source)
{
    if (!source)
        return;
    std::lock_guard guard(m_sourcesLock);
    if (std::find(m_sources->begin(), m_sources->end(), source) != m_sources->end())
        return;
    auto changed = std::make_shared<SourceList>(*m_sources);
    changed->push_back(source);
    m_sources = std::move(changed);
}

void LMAudioDataPlayer::removeAudioSource(const Source &source)
{
    {
        std::lock_guard guard(m_sourcesLock);
        auto changed = std::make_shared<SourceList>(*m_sources);
        const auto end = std::remove(changed->begin(), changed->end(), source);
        if (end == changed->end())
            return;
        changed->erase(end, changed->end());
        m_sources = std::move(changed);
    }
    // A cycle that took the old list before the change may still be calling the source.
    std::lock_guard wait(m_mixLock);
}

std::vector<LMAudioDataPlayer::Source> LMAudioDataPlayer::audioSources() const
{
    return *sources();
}

void LMAudioDataPlayer::decodeMoreAudioDataToAudioOutput()
{
    if (m_audioOutputGraph->bufferFrames() >= kRefillFrames)
        return;
    std::lock_guard guard(m_mixLock);
    std::fill(m_refill.begin(), m_refill.end(), 0.0f);
    readSampleFrameLocked(m_refill.data(), kRefillFrames);
    m_audioOutputGraph->writeSampleFrame(m_refill.data(), kRefillFrames);
}

bool LMAudioDataPlayer::readSampleFrame(float *buffer, int frames)
{
    std::lock_guard guard(m_mixLock);
    return readSampleFrameLocked(buffer, frames);
}

bool LMAudioDataPlayer::readSampleFrameLocked(float *buffer, int frames)
{
    if (!buffer || frames <= 0)
        return true;
    const size_t samples = size_t(frames) * LMOutputAudioGraph::kChannels;
    std::fill(buffer, buffer + samples, 0.0f);
    // The list copy keeps every source alive for the cycle; removal waits for it (m_mixLock).
    const std::shared_ptr<const SourceList> list = sources();
    if (list->size() < 2) {
        if (!list->empty())
            list->back()->audioPlayerReadSampleFrame(this, buffer, frames);
        return true;
    }
    if (m_scratch.size() < samples)
        m_scratch.resize(samples); // only for callers asking more than a refill
    for (const Source &source : *list) {
        std::fill(m_scratch.begin(), m_scratch.begin() + ptrdiff_t(samples), 0.0f);
        source->audioPlayerReadSampleFrame(this, m_scratch.data(), frames);
        for (size_t i = 0; i < samples; ++i)
            buffer[i] += m_scratch[i];
    }
    return true;
}
