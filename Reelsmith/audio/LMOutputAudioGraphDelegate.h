#pragma once

/**
 * What the audio output asks of whoever feeds it (the movie, or the shared mixer).
 *
 * Both calls come on the render thread, with the output's delegate lock held: they must not wait
 * for anything (queue the refill and return), and must not call setDelegate on the graph.
 */
class LMOutputAudioGraphDelegate
{
public:
    virtual ~LMOutputAudioGraphDelegate() = default;

    /**
     * The output is about to read a render cycle: top up its FIFO (the movie posts a refill of
     * 2048 frames to its decode queue when the graph holds 2047 frames or fewer).
     */
    virtual void decodeMoreAudioDataToAudioOutput() = 0;

    /** frames of output have been played; the default ignores it. */
    virtual void audioOutputForwordSample(double frames) { (void)frames; }
};
