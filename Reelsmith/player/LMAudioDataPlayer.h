#pragma once

#include "Reelsmith/audio/LMOutputAudioGraphDelegate.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class LMAudioDataPlayerSource;
class LMOutputAudioGraph;

/**
 * A mixer that plays any number of sample sources through one audio output: before each render
 * cycle, while the output holds fewer than 2048 frames, it mixes 2048 frames of every attached
 * source (a plain sum, no clipping) into the output's FIFO. With no source it plays silence.
 *
 * The process uses one shared instance (share()), made on first use and kept for the life of the
 * process; other instances are independent mixers with their own output.
 *
 * Threads: attach, remove, play and pause from any thread (the application's are on the main
 * thread); the mixing runs on the render thread. The source list is replaced whole on every
 * change, so the render thread reads a list that nobody edits; once removeAudioSource has
 * returned, the removed source is not called again.
 */
class LMAudioDataPlayer : public LMOutputAudioGraphDelegate
{
public:
    /** Frames of one refill (16384 bytes). */
    static constexpr int kRefillFrames = 2048;

    using Source = std::shared_ptr<LMAudioDataPlayerSource>;

    /** The shared mixer. */
    static LMAudioDataPlayer &share();

    LMAudioDataPlayer();
    /** Pauses first when playing; no source is called afterwards. */
    ~LMAudioDataPlayer() override;
    LMAudioDataPlayer(const LMAudioDataPlayer &) = delete;
    LMAudioDataPlayer &operator=(const LMAudioDataPlayer &) = delete;

    LMOutputAudioGraph *audioOutputGraph() const { return m_audioOutputGraph.get(); }

    /** Starts the output (a failure is logged by the output; isPlay() then answers false). */
    void play();
    void pause();
    bool isPlay() const;
    /** Pauses when it plays with no source attached. */
    void pauseIfFree();

    /** Appends source unless it is null or attached already. */
    void attachAudioSource(const Source &source);
    /** Detaches source; when this returns no mixing cycle is still calling it. */
    void removeAudioSource(const Source &source);
    /** The attached sources, in the order they were attached. */
    std::vector<Source> audioSources() const;

    /** Kept for the sources' owners; the mixer does not advance it. */
    int64_t frames_played() const { return m_framesPlayed.load(); }
    void setFrames_played(int64_t frames) { m_framesPlayed.store(frames); }

    /**
     * Render thread: while the output holds fewer than kRefillFrames frames, appends a mix of
     * kRefillFrames frames.
     */
    void decodeMoreAudioDataToAudioOutput() override;
    /**
     * Mixes frames frames of every source into buffer (frames x 2 floats, overwritten): one
     * source writes straight into it, several are summed. No source leaves silence. True.
     */
    bool readSampleFrame(float *buffer, int frames);

private:
    using SourceList = std::vector<Source>;
    std::shared_ptr<const SourceList> sources() const;
    bool readSampleFrameLocked(float *buffer, int frames);

    std::unique_ptr<LMOutputAudioGraph> m_audioOutputGraph;

    mutable std::mutex m_sourcesLock; // guards m_sources, never held while mixing
    std::shared_ptr<const SourceList> m_sources;

    // Held for a whole mixing cycle: it guards the buffers below and lets removeAudioSource wait
    // until a cycle that may still call the removed source has finished.
    std::mutex m_mixLock;
    std::vector<float> m_refill;
    std::vector<float> m_scratch;

    std::atomic<int64_t> m_framesPlayed{0};
};
