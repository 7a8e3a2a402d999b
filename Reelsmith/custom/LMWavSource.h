#pragma once

#include "Reelsmith/custom/LMCustomSource.h"

#include <QByteArray>
#include <cstdint>

/**
 * A custom source that presents a three-hour WAVE stream of 32-bit float stereo audio at
 * 44100 Hz: the 56-byte header is made here, the sample bytes come from readData(buffer, offset,
 * size), which in this class is silence. A subclass overrides that one call to supply samples.
 *
 * Held by std::shared_ptr; one thread at a time, like every source.
 */
class LMWavSource : public LMCustomSource
{
public:
    static constexpr int64_t headerSize = 56;
    /** 10800 s at 352800 bytes per second. */
    static constexpr int64_t datasize = 3810240000LL;

    LMWavSource();

    /** "filename.wav": the name the demuxer gets beside the I/O context. */
    QString path() const override { return QStringLiteral("filename.wav"); }
    int64_t filesize() const override { return datasize + headerSize; }

    /** The 56 header bytes. */
    static QByteArray header();

    /** Header bytes while the position is inside the header, then readData. */
    int64_t read(uint8_t *buffer, int64_t size) override;
    /** Clamps size to what is left of the stream and asks readData for the sample bytes there. */
    int64_t readData(uint8_t *buffer, int64_t size);
    /**
     * The sample bytes at offset within the data chunk (0 = the first sample): interleaved float
     * stereo. Fills buffer with size zero bytes and answers size; subclasses supply real samples.
     */
    virtual int64_t readData(uint8_t *buffer, int64_t offset, int64_t size);

protected:
    std::shared_ptr<LMMediaSource> makeEmptyCopy() const override;

private:
    // The stream position at which the current read's data bytes begin.
    int64_t m_dataPosition = 0;
};
