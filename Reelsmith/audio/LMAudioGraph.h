#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace Reelsmith::detail {
class SdlAudioOutput;
}

/**
 * The base of the engine's audio outputs: a pull-model output of interleaved 32-bit float stereo
 * at 44100 Hz whose callback thread is the render thread. The device is open from start() to
 * stop(); when no sound device can be opened the process falls back to a silent output that still
 * pulls in real time, so playback clocks advance on a machine without sound.
 *
 * The render callback asks streamReadSampleNumberFrames (bus 0) for each period and plays silence
 * when that answers false. Subclasses set themselves up in createNode/configNode, which run from
 * initGraph(); the most-derived constructor calls initGraph() and its destructor closeGraph(), so
 * the render thread never runs into a half-destroyed object.
 *
 * Owned by one object (a movie or the shared mixer); start/stop from any thread.
 */
class LMAudioGraph
{
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = kChannels * int(sizeof(float)); // interleaved float
    /**
     * Frames per render period. The producer tops up 2048 frames at a time, so a period at rates
     * up to 4 (rate x period input frames) stays within one refill.
     */
    static constexpr int kPeriodFrames = 512;

    virtual ~LMAudioGraph();
    LMAudioGraph(const LMAudioGraph &) = delete;
    LMAudioGraph &operator=(const LMAudioGraph &) = delete;

    /** Opens the output if needed and starts pulling. A failure is logged; isStart() is then false. */
    bool start();
    /**
     * Stops pulling and gives the device back; the next start() opens it again. A driver may offer
     * one device at a time (the silent one does), so a paused output must not keep the next movie
     * from playing. Returns after a running render cycle has finished.
     */
    void stop();
    bool isStart() const;

    /** Fills frames of interleaved float stereo; false means silence for the cycle. Base: false. */
    virtual bool streamReadSampleNumberFrames(int bus, void *buffer, int frames);
    /** Takes frames of interleaved float stereo. Base: false. */
    virtual bool streamWriteSampleNumberFrames(int bus, const void *buffer, int frames);

    /** The output driver in use ("dummy" when no sound device opened); empty before start(). */
    QString driverName() const;
    /** Frames the output has pulled since creation, silence included: the device clock. */
    int64_t renderedFrames() const { return m_renderedFrames.load(); }
    /** Why the last start failed. */
    QString lastError() const;

    /**
     * One render period, as the render thread runs it: reads frames through
     * streamReadSampleNumberFrames (bus 0) into stream, or writes silence when that answers false.
     * Public so that a caller can drive the output itself (offline rendering, tests).
     */
    void renderCycle(uint8_t *stream, int frames);

protected:
    LMAudioGraph();
    void initGraph();
    void closeGraph();
    virtual void createNode() {}
    virtual void configNode() {}

private:
    static void renderCallback(void *userdata, uint8_t *stream, int length);

    mutable std::mutex m_lock;
    std::unique_ptr<Reelsmith::detail::SdlAudioOutput> m_output;
    std::atomic<int64_t> m_renderedFrames{0};
    QString m_lastError;
};
