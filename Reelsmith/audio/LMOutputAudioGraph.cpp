#include "Reelsmith/audio/LMOutputAudioGraph.h"

#include "Reelsmith/audio/AudioLog.h"

#include <algorithm>
#include <cmath>

namespace {

// The rate stage reads rate x frames of input per cycle; beyond this a cycle would pull more
// than the producer can ever keep up with.
constexpr double kMaxRenderRate = 32.0;

} // namespace

LMOutputAudioGraph::LMOutputAudioGraph()
{
    // Room for a period at rates up to 5 without growing on the render thread.
    m_scratch.reserve(size_t(kPeriodFrames * 5 + 1) * kChannels);
    initGraph();
}

LMOutputAudioGraph::~LMOutputAudioGraph()
{
    // Before the FIFO and the rate state go: no render cycle may run into them.
    closeGraph();
}

void LMOutputAudioGraph::createNode()
{
    // The chain converter -> speed -> speed2 -> output is fixed; its stages are the rate units
    // and the gain below, applied in readSampleFrame.
}

void LMOutputAudioGraph::configNode()
{
    // The input format is fixed at the device format (kSampleRate, float, kChannels).
}

void LMOutputAudioGraph::setDelegate(LMOutputAudioGraphDelegate *delegate)
{
    std::lock_guard guard(m_delegateLock);
    m_delegate = delegate;
}

LMOutputAudioGraphDelegate *LMOutputAudioGraph::delegate() const
{
    std::lock_guard guard(m_delegateLock);
    return m_delegate;
}

void LMOutputAudioGraph::setRate(float rate)
{
    const float r = rate >= 0.01f ? rate : 0.01f; // also takes NaN to the floor
    if (r >= 0.25f && r < 4.5f) {
        setRateNode(r, speedNode());
        setRateNode(1.0f, speedNode2());
    } else {
        const float root = std::sqrt(r);
        setRateNode(root, speedNode());
        setRateNode(root, speedNode2());
    }
}

float LMOutputAudioGraph::rate() const
{
    return rateForNode(speedNode()) * rateForNode(speedNode2());
}

void LMOutputAudioGraph::setRateNode(float rate, int node)
{
    if (node == speedNode())
        m_speed.store(rate);
    else if (node == speedNode2())
        m_speed2.store(rate);
}

float LMOutputAudioGraph::rateForNode(int node) const
{
    if (node == speedNode())
        return m_speed.load();
    if (node == speedNode2())
        return m_speed2.load();
    return 1.0f;
}

void LMOutputAudioGraph::setVolume(float volume)
{
    m_volume.store(volume);
}

float LMOutputAudioGraph::volume() const
{
    return m_volume.load();
}

bool LMOutputAudioGraph::streamReadSampleNumberFrames(int /*bus*/, void *buffer, int frames)
{
    return readSampleFrame(static_cast<float *>(buffer), frames);
}

bool LMOutputAudioGraph::streamWriteSampleNumberFrames(int /*bus*/, const void *buffer, int frames)
{
    return writeSampleFrame(static_cast<const float *>(buffer), frames);
}

bool LMOutputAudioGraph::readSampleFrame(float *buffer, int frames)
{
    if (!buffer || frames <= 0)
        return false;
    decodeMoreAudioDataToAudioOutput();

    std::lock_guard guard(m_renderLock);
    if (m_resetRateState.exchange(false)) {
        m_phase = 0;
        std::fill(std::begin(m_carry), std::end(m_carry), 0.0f);
    }
    const double rate = double(this->rate());
    bool complete;
    if (std::fabs(rate - 1.0) < 1e-6) {
        const size_t wanted = size_t(frames) * kBytesPerFrame;
        complete = m_dataBuffer.readBytesLength(buffer, wanted) == wanted;
        if (complete) {
            std::copy_n(buffer + size_t(frames - 1) * kChannels, kChannels, m_carry);
            m_phase = 0;
        }
    } else {
        complete = readResampledLocked(buffer, frames, std::min(rate, kMaxRenderRate));
    }
    if (!complete) {
        qCDebug(Reelsmith::lcAudioTrace, "audio output underflow: %d frames of silence", frames);
        m_phase = 0;
        std::fill(std::begin(m_carry), std::end(m_carry), 0.0f);
        return false;
    }
    const float gain = m_volume.load();
    if (gain != 1.0f) {
        for (int i = 0; i < frames * kChannels; ++i)
            buffer[i] *= gain;
    }
    return true;
}

bool LMOutputAudioGraph::readResampledLocked(float *buffer, int frames, double rate)
{
    // Output frame i lies at phase + i x rate input frames after the frame carried over from the
    // previous cycle (index 0 of the scratch); the frames this cycle consumes follow it.
    const double end = m_phase + double(frames) * rate;
    const int needed = int(std::floor(end));
    m_scratch.resize(size_t(needed + 1) * kChannels);
    std::copy_n(m_carry, kChannels, m_scratch.begin());
    const size_t wanted = size_t(needed) * kBytesPerFrame;
    if (needed > 0 && m_dataBuffer.readBytesLength(m_scratch.data() + kChannels, wanted) != wanted)
        return false;
    for (int i = 0; i < frames; ++i) {
        const double position = m_phase + double(i) * rate;
        const int index = int(position);
        const float fraction = float(position - index);
        const int next = std::min(index + 1, needed);
        for (int channel = 0; channel < kChannels; ++channel) {
            const float a = m_scratch[size_t(index) * kChannels + channel];
            const float b = m_scratch[size_t(next) * kChannels + channel];
            buffer[i * kChannels + channel] = a + (b - a) * fraction;
        }
    }
    std::copy_n(m_scratch.begin() + ptrdiff_t(needed) * kChannels, kChannels, m_carry);
    m_phase = end - needed;
    return true;
}

bool LMOutputAudioGraph::writeSampleFrame(const float *buffer, int frames)
{
    if (!buffer || frames <= 0)
        return true;
    return m_dataBuffer.appendBytesLength(buffer, size_t(frames) * kBytesPerFrame);
}

int64_t LMOutputAudioGraph::bufferFrames() const
{
    return int64_t(m_dataBuffer.length() / kBytesPerFrame);
}

void LMOutputAudioGraph::clearBuffer()
{
    m_dataBuffer.clear();
    m_resetRateState.store(true);
}

void LMOutputAudioGraph::decodeMoreAudioDataToAudioOutput()
{
    std::lock_guard guard(m_delegateLock);
    if (m_delegate)
        m_delegate->decodeMoreAudioDataToAudioOutput();
}

void LMOutputAudioGraph::audioOutputForwordSample(double frames)
{
    std::lock_guard guard(m_delegateLock);
    if (m_delegate)
        m_delegate->audioOutputForwordSample(frames);
}
