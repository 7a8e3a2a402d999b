#pragma once

#include "Reelsmith/audio/LMAudioGraph.h"
#include "Reelsmith/audio/LMFIFODataBuffer.h"
#include "Reelsmith/audio/LMOutputAudioGraphDelegate.h"

#include <atomic>
#include <mutex>
#include <vector>

/**
 * The movie's audio output: pulls interleaved float stereo from a FIFO that its delegate keeps
 * topped up, through a playback-rate stage (two rate units whose product is the rate) and a volume
 * gain. A cycle the FIFO cannot cover in full plays as silence and consumes what was there.
 *
 * The render thread only copies from the FIFO: before each cycle it tells the delegate to top up
 * (which must only queue work) and then reads whatever is there. The producer appends with
 * streamWriteSampleNumberFrames from its decode queue.
 *
 * Rate: rates between 0.25 and 4.5 go to the first unit alone; others are split as the square
 * root over both. The rate stage resamples (pitch follows the rate).
 */
class LMOutputAudioGraph : public LMAudioGraph
{
public:
    LMOutputAudioGraph();
    ~LMOutputAudioGraph() override;

    // Node numbers of the output chain: converter -> speed -> speed2 -> output.
    int outputConverterNode() const { return 1; }
    int speedNode() const { return 2; }
    int speedNode2() const { return 3; }
    int outputNode() const { return 4; }

    /**
     * Not owned. After setDelegate returns, the old delegate is no longer being called, so an
     * owner clears it (setDelegate(nullptr)) before it goes away. Not from inside a delegate call.
     */
    void setDelegate(LMOutputAudioGraphDelegate *delegate);
    LMOutputAudioGraphDelegate *delegate() const;

    LMFIFODataBuffer &dataBuffer() { return m_dataBuffer; }

    /** r = max(rate, 0.01); 0.25 <= r < 4.5: speed r and speed2 1; else both sqrt(r). */
    void setRate(float rate);
    /** The product of the two units' rates. */
    float rate() const;
    /** Sets one rate unit (speedNode or speedNode2); other nodes are ignored. */
    void setRateNode(float rate, int node);
    /** One rate unit's rate; 1 for a node that has none. */
    float rateForNode(int node) const;

    /** The output gain (1 = unchanged). */
    void setVolume(float volume);
    float volume() const;

    bool streamReadSampleNumberFrames(int bus, void *buffer, int frames) override;
    bool streamWriteSampleNumberFrames(int bus, const void *buffer, int frames) override;

    /**
     * One render cycle: asks the delegate to top up, then reads what frames of output need from
     * the FIFO (rate x frames of input), applying rate and volume. False when the FIFO could not
     * cover the cycle: what it held is consumed and the buffer holds nothing usable (the render
     * callback plays silence).
     */
    bool readSampleFrame(float *buffer, int frames);
    /** Appends frames of interleaved float stereo to the FIFO; true. */
    bool writeSampleFrame(const float *buffer, int frames);

    /** Frames in the FIFO. */
    int64_t bufferFrames() const;
    /** Empties the FIFO (a seek). */
    void clearBuffer();

    void decodeMoreAudioDataToAudioOutput();
    void audioOutputForwordSample(double frames);

protected:
    void createNode() override;
    void configNode() override;

private:
    bool readResampledLocked(float *buffer, int frames, double rate);

    mutable std::mutex m_delegateLock;
    LMOutputAudioGraphDelegate *m_delegate = nullptr;
    LMFIFODataBuffer m_dataBuffer;
    std::atomic<float> m_speed{1.0f};
    std::atomic<float> m_speed2{1.0f};
    std::atomic<float> m_volume{1.0f};

    // Render-side state of the rate stage; reset when the FIFO is cleared.
    std::mutex m_renderLock;
    std::atomic<bool> m_resetRateState{false};
    std::vector<float> m_scratch;
    float m_carry[kChannels] = {}; // the last input frame of the previous cycle
    double m_phase = 0;
};
