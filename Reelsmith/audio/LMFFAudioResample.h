#pragma once

#include "Reelsmith/LMTypes.h"
#include "Reelsmith/detail/FFmpegPointers.h"

#include <QString>
#include <mutex>

/**
 * Converts decoded audio from whatever a stream delivers into one output format and queues the
 * converted samples until they are read. Each audio stream owns one, and so does the encoder.
 *
 * The conversion runs on libswresample; the queue is an AVAudioFifo in the output format, so it
 * survives a change of input format: when frames start arriving in another format the converter
 * is drained into the queue and reopened, and nothing already converted is lost. Only close()
 * (a seek) or a change of output format empties the queue.
 *
 * Every call takes the object's own recursive lock, so a count never interleaves with a
 * conversion. Any thread.
 */
class LMFFAudioResample
{
public:
    LMFFAudioResample();
    ~LMFFAudioResample();
    LMFFAudioResample(const LMFFAudioResample &) = delete;
    LMFFAudioResample &operator=(const LMFFAudioResample &) = delete;

    /** The highest sample rate converted: studio audio stops at 768 kHz, and a damaged header's
        far larger rate would make the converter build a filter of gigabytes. */
    static constexpr int kMaxSampleRate = 768000;

    /** The format samples are read out in; the engine default (float, stereo, 44100) at first. */
    LMFFAudioFormat outputFormat() const;
    /** The format of the frames being written; all zero before the first. */
    LMFFAudioFormat inputFormat() const;

    /**
     * Opens a converter for inputFormat -> outputFormat. An input layout of front left alone or
     * front right alone is taken as mono (front centre), so it reaches both output channels.
     * On failure there is no converter, and lastError() says why. Queued samples are kept.
     */
    bool open();
    /** Frees the converter and drops every queued sample. */
    void close();
    void clear() { close(); }

    /**
     * Converts from in to out from now on. Nothing happens while a converter is open for exactly
     * these formats. A new input format keeps the queue (what the old converter still held is
     * drained into it first); a new output format empties it.
     */
    void convertFormatTo(const LMFFAudioFormat &in, const LMFFAudioFormat &out);

    /** Converts an audio frame into the queue. */
    void writeFrame(const AVFrame *frame);
    /** Converts n frames of interleaved bytes in inputFormat into the queue. */
    void writeSampleFrame(const uint8_t *data, int frames);

    /**
     * Reads up to n queued frames into buffer (interleaved, outputFormat); the part of the buffer
     * nothing was read into is left as it was. True when all n were there.
     */
    bool readSampleFrame(uint8_t *buffer, int frames);

    /**
     * Reads what is queued, up to n frames, into buffer and fills only the rest with silence;
     * answers the number of frames read. This is the read for the end of a stream, where the
     * last block is short: the held samples are delivered, not replaced by silence.
     * Packed output formats only.
     */
    int readSampleFrameFillSilence(uint8_t *buffer, int frames);

    /**
     * End of input: pushes the samples the converter still holds (its filter delay) into the
     * queue, so the last block of a stream is complete. Writing again afterwards goes on as
     * usual.
     */
    void flushInput();

    /** Converted frames queued (0 after close()). */
    int outputSamples() const;

    /**
     * The general step: converts in (may be null) into the queue, then reads into out (may be
     * null) up to out->nb_samples frames, setting out->nb_samples to the count read (0 on an
     * error). Answers the count read.
     */
    int convertFrameTo(const AVFrame *in, AVFrame *out);

    /** Why the last open or conversion failed. */
    QString lastError() const;

private:
    bool openLocked();
    void freeConverterLocked();
    void drainConverterLocked();
    bool ensureFifoLocked();
    int convertIntoFifoLocked(const uint8_t *const *input, int inputFrames);
    // Reads up to frames queued frames into one packed buffer; answers the count read.
    int readIntoBufferLocked(uint8_t *buffer, int frames);

    mutable std::recursive_mutex m_lock;
    LMFFAudioFormat m_inFormat{};
    LMFFAudioFormat m_outFormat{};
    Reelsmith::detail::SwrContextPtr m_context;
    Reelsmith::detail::AudioFifoPtr m_fifo;
    LMFFAudioFormat m_fifoFormat{};
    QString m_lastError;
};
