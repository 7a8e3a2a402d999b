#pragma once

class LMAudioDataPlayer;

/**
 * Something the shared mixer plays: it hands out interleaved 32-bit float stereo at 44100 Hz.
 *
 * Called on the audio render thread, one call at a time: it must not wait for anything (copy out
 * what a producer has prepared) and must not attach or remove sources.
 */
class LMAudioDataPlayerSource
{
public:
    virtual ~LMAudioDataPlayerSource() = default;

    /** Writes frames frames (frames x 2 floats) into buffer, which arrives zeroed. */
    virtual void audioPlayerReadSampleFrame(LMAudioDataPlayer *player, float *buffer, int frames)
        = 0;
};
